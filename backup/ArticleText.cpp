#include "backup/ArticleText.h"

#include "app/modcut.h"

namespace {

// Where a linked picture's address ends: <a href="ADDRESS"><img src="ADDRESS"></a>
const QString kPictureAddressEnd = QStringLiteral("\"><img");
const QString kLinkAddressStart = QStringLiteral("href=\"");
const QString kLinkEnd = QStringLiteral("</a>");

// The content less its linked pictures, and their addresses in order.
struct SplitContent {
    QString text;
    QStringList pictures;
};

// Takes every linked picture out of the content; whatever is no whole linked picture stays in
// the text as it stands.
SplitContent TakeLinkedPictures(const QString& content) {
    SplitContent split;
    qsizetype from = 0;    // where the text not yet taken begins
    qsizetype search = 0;  // where the next picture's address end is looked for
    for (;;) {
        const qsizetype end = content.indexOf(kPictureAddressEnd, search);
        if (end < 0) {
            break;
        }
        search = end + kPictureAddressEnd.size();
        const qsizetype address = content.lastIndexOf(kLinkAddressStart, end);
        const qsizetype link =
            address < from ? -1 : content.lastIndexOf(QStringLiteral("<a"), address);
        const qsizetype close = content.indexOf(kLinkEnd, search);
        if (link < from || close < 0) {
            continue;
        }
        split.text += content.mid(from, link - from);
        const qsizetype addressStart = address + kLinkAddressStart.size();
        split.pictures << content.mid(addressStart, end - addressStart);
        from = close + kLinkEnd.size();
        search = from;
    }
    split.text += content.mid(from);
    return split;
}

// The text with each picture's address after it on a line of its own.
QString WithPictureAddresses(const SplitContent& split) {
    QString kept = split.text;
    for (const QString& picture : split.pictures) {
        kept += QStringLiteral("\r\n图片地址：") + picture;
    }
    return kept;
}

QString PlainContent(QString content) {
    content.replace(QStringLiteral("<p>"), QString())
        .replace(QStringLiteral("</p>"), QString())
        .replace(QStringLiteral("&lsquo;"), QStringLiteral("‘"))
        .replace(QStringLiteral("&rsquo;"), QStringLiteral("’"))
        .replace(QStringLiteral("&ldquo;"), QStringLiteral("“"))
        .replace(QStringLiteral("&rdquo;"), QStringLiteral("”"))
        .replace(QStringLiteral(":"), QStringLiteral("："))
        .replace(QStringLiteral("<br>"), QString());
    // A picture is kept as the address its link points to. Beside text, the text is kept and
    // the addresses follow it: the text is what the file is for.
    if (content.contains(QStringLiteral("src"))) {
        const SplitContent split = TakeLinkedPictures(content);
        if (!split.text.trimmed().isEmpty() || split.pictures.size() > 1) {
            return WithPictureAddresses(split);
        }
        content = QStringLiteral("图片地址：") +
                  CutBetween(content, kLinkAddressStart, kPictureAddressEnd);
    }
    // A link is kept as the text it shows.
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
