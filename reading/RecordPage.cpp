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

}  // namespace

QString RecordPage(const QString& title, const QString& savedFile,
                   const std::vector<SavedRecord>& records, const QString& styleSheet) {
    QString page = PageStart(title, styleSheet, QStringLiteral("pagewren-records"));
    page += QStringLiteral("<nav class=\"pagewren-nav\"><a href=\"../index.html\">返回目录</a>") +
            SavedFileLink(savedFile, QStringLiteral("保存的文件 ") + savedFile, true) +
            QStringLiteral("</nav>\n<h1>") + EscapeHtml(title) + QStringLiteral("（") +
            QString::number(records.size()) + QStringLiteral(" 条）</h1>\n");
    for (const SavedRecord& record : records) {
        page += QStringLiteral("<div class=\"pagewren-record\"><h3>N0.") +
                EscapeHtml(record.number) + QStringLiteral("</h3><dl>");
        for (const auto& [label, value] : record.lines) {
            page += QStringLiteral("<dt>") + EscapeHtml(label) + QStringLiteral("</dt><dd>") +
                    ValueMarkup(value) + QStringLiteral("</dd>");
        }
        page += QStringLiteral("</dl></div>\n");
    }
    return page + PageEnd();
}
