#include "reading/ArticlePage.h"

#include <QRegularExpression>
#include <QStringList>

#include "app/modcut.h"
#include "reading/BodyCleaner.h"
#include "reading/HtmlText.h"
#include "reading/PageShell.h"
#include "reading/RecordPage.h"
#include "space/SpaceContents.h"

namespace {

QString Link(const QString& href, const QString& caption, const QString& rel = {}) {
    return QStringLiteral("<a href=\"") + EscapeHtml(href) + QStringLiteral("\"") +
           (rel.isEmpty() ? QString() : QStringLiteral(" rel=\"") + rel + QStringLiteral("\"")) +
           QStringLiteral(">") + EscapeHtml(caption) + QStringLiteral("</a>");
}

QString Navigation(const ArticlePageParts& parts) {
    QString nav = QStringLiteral("<nav class=\"pagewren-nav\">") +
                  Link(QStringLiteral("../index.html"), QStringLiteral("返回目录"));
    if (!parts.previous.href.isEmpty()) {
        nav += Link(parts.previous.href, QStringLiteral("上一篇：") + parts.previous.caption,
                    QStringLiteral("prev"));
    }
    if (!parts.next.href.isEmpty()) {
        nav += Link(parts.next.href, QStringLiteral("下一篇：") + parts.next.caption,
                    QStringLiteral("next"));
    }
    return nav + QStringLiteral("</nav>\n");
}

// The saved text, escaped, with the copy of each picture a "图片地址：" line names after it.
QString TextWithPictures(const ReadingArticle& article, const ArticlePageParts& parts) {
    const QString& content = parts.savedText.content;
    if (!parts.pictures) {
        return EscapeBodyText(content);
    }
    QStringList lines = content.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        const QString address = SavedTextPicture(line);
        const QString local = address.isEmpty()
                                  ? QString()
                                  : parts.pictures(CleanedWebAddress(address, article.address));
        line = EscapeBodyText(line);
        if (IsLocalPictureLink(local)) {
            line += QStringLiteral("\r\n<img src=\"") + EscapeHtml(local) +
                    QStringLiteral("\" alt=\"\">");
        }
    }
    return lines.join(QStringLiteral("\r\n"));
}

// The article as the service's page framed it: the fragment was cut between the heading
// "查看文章" and the label "类别", so putting both back closes what it opened. The whole is
// cleaned as one, as a browser would have built it.
QString ArticleAsSaved(const ReadingArticle& article, const ArticlePageParts& parts) {
    const QString frame =
        QStringLiteral("<div id=\"m_blog\" class=\"modbox\"><div class=\"tit\">查看文章");
    if (!parts.savedMarkup.isEmpty()) {
        return CleanArticleBody(frame + parts.savedMarkup + QStringLiteral("类别：") +
                                    EscapeHtml(parts.category) + QStringLiteral("</div></div>"),
                                article.address, parts.pictures) +
               QChar('\n');
    }
    const QString body = parts.readable ? TextWithPictures(article, parts)
                                        : QStringLiteral("（无法读取保存的文件）");
    return frame + QStringLiteral("</div><div class=\"tit2\">") + EscapeHtml(article.title) +
           QStringLiteral("</div><div class=\"date\">") + EscapeHtml(article.date) +
           QStringLiteral("</div><div id=\"blog_text\" class=\"cnt pagewren-text\">") + body +
           QStringLiteral("</div><div class=\"opt\">类别：") + EscapeHtml(parts.category) +
           QStringLiteral("</div></div>\n");
}

QString About(const ReadingArticle& article, const ArticlePageParts& parts) {
    QString about = QStringLiteral("<p class=\"pagewren-about\">类别：") +
                    EscapeHtml(parts.category) + QStringLiteral("　发表时间：") +
                    EscapeHtml(article.date);
    if (!article.address.isEmpty()) {
        about += QStringLiteral("　原网址：") + WebLink(article.address, article.address);
    }
    if (!article.from.isEmpty()) {
        about += QStringLiteral("　取自存档：") + WebLink(article.from, article.from);
    }
    about += QStringLiteral("<br>保存的文件：");
    for (const QString& file : {article.html, article.txt, article.doc}) {
        if (!file.isEmpty()) {
            about += SavedFileLink(file, file.section('/', -1), true) + QStringLiteral("　");
        }
    }
    return about + QStringLiteral("</p>\n");
}

}  // namespace

QString ArticlePage(const ReadingArticle& article, const ArticlePageParts& parts) {
    return PageStart(article.title + QStringLiteral(" - ") + parts.spaceName, parts.styleSheet,
                     QStringLiteral("pagewren-article")) +
           Navigation(parts) + ArticleAsSaved(article, parts) + CommentSection(article.comments) +
           About(article, parts) + Navigation(parts) + PageEnd();
}
