#include "reading/RecordPage.h"

#include <QRegularExpression>

#include "reading/HtmlText.h"
#include "reading/PageShell.h"

namespace {

// The value as the page showed it (its references decoded, then escaped), with its "<br>"
// tags (the only markup a board message keeps from the service) still breaking lines.
QString ValueMarkup(const QString& value) {
    static const QRegularExpression escapedBreak(QStringLiteral("&lt;br\\s*/?&gt;"),
                                                 QRegularExpression::CaseInsensitiveOption);
    QString markup = EscapeBodyText(DecodeEntities(value));
    return markup.replace(escapedBreak, QStringLiteral("<br>"));
}

// The comment's date, and the link to the article page that shows it.
QString PlaceMarkup(const CommentPlace& place) {
    QString markup;
    if (!place.date.isEmpty()) {
        markup += QStringLiteral("<dt>评论时间：</dt><dd>") + EscapeHtml(place.date) +
                  QStringLiteral("</dd>");
    }
    if (!place.articlePage.isEmpty()) {
        markup += QStringLiteral("<dt>见于文章：</dt><dd><a href=\"") +
                  EscapeHtml(RelativeLink(place.articlePage)) + QStringLiteral("\">") +
                  EscapeHtml(place.articleTitle) + QStringLiteral("</a></dd>");
    }
    return markup;
}

}  // namespace

QString CommentSection(const std::vector<SavedComment>& comments) {
    if (comments.empty()) {
        return {};
    }
    QString section = QStringLiteral("<section class=\"pagewren-comments\" id=\"comments\"><h2>") +
                      QStringLiteral("文章评论（") + QString::number(comments.size()) +
                      QStringLiteral(" 条）</h2>\n");
    for (const SavedComment& comment : comments) {
        section += QStringLiteral("<div class=\"pagewren-record\"><h3>") +
                   ValueMarkup(comment.commenter) + QStringLiteral(" <span class=\"date\">") +
                   EscapeHtml(comment.date) + QStringLiteral("</span></h3><p>") +
                   ValueMarkup(comment.text) + QStringLiteral("</p></div>\n");
    }
    return section + QStringLiteral("</section>\n");
}

QString RecordPage(const QString& title, const QString& savedFile,
                   const std::vector<SavedRecord>& records, const QString& styleSheet,
                   const std::vector<CommentPlace>& places) {
    QString page = PageStart(title, styleSheet, QStringLiteral("pagewren-records"));
    page += QStringLiteral("<nav class=\"pagewren-nav\"><a href=\"../index.html\">返回目录</a>") +
            SavedFileLink(savedFile, QStringLiteral("保存的文件 ") + savedFile, true) +
            QStringLiteral("</nav>\n<h1>") + EscapeHtml(title) + QStringLiteral("（") +
            QString::number(records.size()) + QStringLiteral(" 条）</h1>\n");
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SavedRecord& record = records[i];
        page += QStringLiteral("<div class=\"pagewren-record\"><h3>N0.") +
                EscapeHtml(record.number) + QStringLiteral("</h3><dl>");
        for (const auto& [label, value] : record.lines) {
            page += QStringLiteral("<dt>") + EscapeHtml(label) + QStringLiteral("</dt><dd>") +
                    ValueMarkup(value) + QStringLiteral("</dd>");
        }
        if (i < places.size()) {
            page += PlaceMarkup(places[i]);
        }
        page += QStringLiteral("</dl></div>\n");
    }
    return page + PageEnd();
}
