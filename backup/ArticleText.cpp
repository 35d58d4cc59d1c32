#include "backup/ArticleText.h"

#include "app/modcut.h"

namespace {

QString PlainContent(QString content) {
    content.replace(QStringLiteral("<p>"), QString())
        .replace(QStringLiteral("</p>"), QString())
        .replace(QStringLiteral("&lsquo;"), QStringLiteral("‘"))
        .replace(QStringLiteral("&rsquo;"), QStringLiteral("’"))
        .replace(QStringLiteral("&ldquo;"), QStringLiteral("“"))
        .replace(QStringLiteral("&rdquo;"), QStringLiteral("”"))
        .replace(QStringLiteral(":"), QStringLiteral("："))
        .replace(QStringLiteral("<br>"), QString());
    // A picture is kept as the address its link points to, a link as the text it shows.
    if (content.contains(QStringLiteral("src"))) {
        content = QStringLiteral("图片地址：") +
                  CutBetween(content, QStringLiteral("href=\""), QStringLiteral("\"><img"));
    }
    if (content.contains(QStringLiteral("href"))) {
        content = QStringLiteral("网页地址：") +
                  CutBetween(content, QStringLiteral(">"), QStringLiteral("</a>"));
    }
    return content;
}

}  // namespace

QString ArticleBody(const QString& page, const QString& category) {
    const QString heading = QStringLiteral("查看文章");
    const qsizetype start = page.indexOf(heading);
    const qsizetype line = category.isEmpty() || start < 0
                               ? -1
                               : page.indexOf(QStringLiteral("类别：") + category, start);
    if (line < 0) {
        return CutBetween(page, heading, QStringLiteral("类别"));
    }
    return page.mid(start + heading.size(), line - start - heading.size());
}

bool IsArticlePage(const QString& page) {
    const qsizetype heading = page.indexOf(QStringLiteral("查看文章"));
    return heading >= 0 && page.indexOf(QStringLiteral("类别"), heading) >= 0;
}

QStringList ArticleTextLines(const QString& title, const QString& listedCategory,
                             const QString& page) {
    const bool ownLine =
        !listedCategory.isEmpty() &&
        page.contains(QStringLiteral("类别：") + listedCategory + QStringLiteral("<"));
    const QString category =
        ownLine ? listedCategory : CutBetween(page, QStringLiteral("类别："), QStringLiteral("<"));
    const QString date = CutBetween(page, QStringLiteral("date\">"), QStringLiteral("</div>"));
    // The two blanks before ">" belong to the tag that opens the article's text.
    const QString content = CutBetween(page, QStringLiteral("cnt\"  >"), QStringLiteral("</div>"));
    return {QStringLiteral("标题：") + title, QStringLiteral("类别：") + category,
            QStringLiteral("时间：") + date, QStringLiteral("内容：") + PlainContent(content)};
}
