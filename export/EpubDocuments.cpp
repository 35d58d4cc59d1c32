#include <QUrl>
#include <QUuid>

#include "export/Epub.h"
#include "export/ParsedMarkup.h"
#include "export/XhtmlBody.h"
#include "export/XmlText.h"

namespace {

const QString kNoTitle = QStringLiteral("（无标题）");
const QString kNoCategory = QStringLiteral("（未分类）");
const QString kSeparator = QStringLiteral(" · ");

// The text escaped, or the stand-in when it holds nothing to show.
QString Shown(const QString& text, const QString& standIn = {}) {
    const QString trimmed = XmlCharacters(text).trimmed();
    return XmlEscaped(trimmed.isEmpty() ? standIn : trimmed);
}

QString SpaceName(const SavedSpace& space) {
    return Shown(space.name, QStringLiteral("百度空间"));
}

// A whole XHTML content document; `root` leads from its folder to the content folder.
QString Page(const QString& title, const QString& root, const QString& body) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
               "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
               "xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"zh-CN\" lang=\"zh-CN\">\n"
               "<head>\n<meta charset=\"UTF-8\"/>\n<title>") +
           title + QStringLiteral("</title>\n<link rel=\"stylesheet\" type=\"text/css\" href=\"") +
           root + QStringLiteral("book.css\"/>\n</head>\n<body>\n") + body +
           QStringLiteral("</body>\n</html>\n");
}

QString Paragraph(const QString& className, const QString& escaped) {
    return QStringLiteral("<p class=\"") + className + QStringLiteral("\">") + escaped +
           QStringLiteral("</p>\n");
}

// A comment or a board message: who wrote it and when, then its text.
QString Said(const QString& className, const QString& who, const QString& when, const QString& text,
             const QString& about = {}) {
    QString heading = Shown(MarkupText(who), QStringLiteral("匿名"));
    if (const QString date = Shown(MarkupText(when)); !date.isEmpty()) {
        heading += kSeparator + date;
    }
    QString said = QStringLiteral("<div class=\"") + className + QStringLiteral("\">\n") +
                   Paragraph(QStringLiteral("who"), heading);
    if (!about.isEmpty()) {
        said += Paragraph(QStringLiteral("about"), QStringLiteral("评论文章：") + about);
    }
    return said + QStringLiteral("<div class=\"text\">") + BodyAsXhtml(text, {}, {}) +
           QStringLiteral("</div>\n</div>\n");
}

// The first and last dates of the space's articles, "YYYY-MM-DD"; empty when none has one.
std::pair<QString, QString> DateSpan(const SavedSpace& space) {
    QDateTime first;
    QDateTime last;
    for (const SavedArticle& article : space.articles) {
        const QDateTime date = ServiceDateTime(article.date);
        if (date.isValid()) {
            first = !first.isValid() || date < first ? date : first;
            last = !last.isValid() || date > last ? date : last;
        }
    }
    const QString form = QStringLiteral("yyyy-MM-dd");
    return {first.isValid() ? first.toString(form) : QString(),
            last.isValid() ? last.toString(form) : QString()};
}

QString ManifestItem(const QString& id, const QString& file, const QString& mediaType,
                     const QString& properties = {}) {
    return QStringLiteral("<item id=\"") + id + QStringLiteral("\" href=\"") + file +
           QStringLiteral("\" media-type=\"") + mediaType + QChar('"') +
           (properties.isEmpty() ? QString()
                                 : QStringLiteral(" properties=\"") + properties + QChar('"')) +
           QStringLiteral("/>\n");
}

QString Metadata(const SavedSpace& space) {
    // The same space gives the same identifier on every export, so a reader takes a new
    // export for a new edition of the same book.
    const QUuid urlNamespace(QStringLiteral("6ba7b811-9dad-11d1-80b4-00c04fd430c8"));
    const QString identifier =
        QUuid::createUuidV5(urlNamespace, space.address).toString(QUuid::WithoutBraces);
    const QDateTime saved = space.savedAt.isValid() ? space.savedAt : QDateTime::currentDateTime();
    return QStringLiteral(
               "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
               "<dc:identifier id=\"book-id\">urn:uuid:") +
           identifier + QStringLiteral("</dc:identifier>\n<dc:title>") + SpaceName(space) +
           QStringLiteral("</dc:title>\n<dc:creator>") + SpaceName(space) +
           QStringLiteral("</dc:creator>\n<dc:language>zh-CN</dc:language>\n<dc:source>") +
           XmlEscaped(space.address) +
           QStringLiteral("</dc:source>\n<meta property=\"dcterms:modified\">") +
           saved.toUTC().toString(QStringLiteral("yyyy-MM-ddThh:mm:ssZ")) +
           QStringLiteral("</meta>\n</metadata>\n");
}

// The article's original address, a link when it is a web address.
QString OriginalAddress(const QString& address) {
    const QUrl url(address);
    const bool web =
        url.isValid() && !url.host().isEmpty() &&
        (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    const QString shown = XmlEscaped(address);
    return QStringLiteral("原文：") +
           (web ? QStringLiteral("<a href=\"") + XmlEscaped(url.toString(QUrl::FullyEncoded)) +
                      QStringLiteral("\">") + shown + QStringLiteral("</a>")
                : shown);
}

QString ContentsEntry(const QString& file, const QString& escapedCaption) {
    return QStringLiteral("<li><a href=\"") + file + QStringLiteral("\">") + escapedCaption +
           QStringLiteral("</a></li>\n");
}

}  // namespace

QString BookContainer() {
    return QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
        "<rootfiles>\n<rootfile full-path=\"OEBPS/content.opf\" "
        "media-type=\"application/oebps-package+xml\"/>\n</rootfiles>\n</container>\n");
}

QString BookStyle() {
    return QStringLiteral(
        "body { line-height: 1.6; }\n"
        "h1 { font-size: 1.4em; }\n"
        ".about, .address, .who { color: #555; font-size: 0.9em; }\n"
        ".comments { border-top: 1px solid #999; margin-top: 2em; }\n"
        ".comment, .message { margin: 1em 0; }\n"
        ".title-page { text-align: center; margin-top: 20%; }\n"
        "img { max-width: 100%; }\n"
        "nav ol { list-style-type: none; }\n");
}

QString BookPackage(const SavedSpace& space, const BookPlan& plan) {
    const QString page = QStringLiteral("application/xhtml+xml");
    QString manifest = ManifestItem("title", "title.xhtml", page) +
                       ManifestItem("contents", "contents.xhtml", page, "nav") +
                       ManifestItem("style", "book.css", "text/css");
    QString spine = QStringLiteral("<itemref idref=\"title\"/>\n<itemref idref=\"contents\"/>\n");
    for (const BookArticle& article : plan.articles) {
        manifest += ManifestItem(article.id, article.file, page);
        spine += QStringLiteral("<itemref idref=\"") + article.id + QStringLiteral("\"/>\n");
    }
    if (!space.otherComments.empty()) {
        manifest += ManifestItem("comments", "text/comments.xhtml", page);
        spine += QStringLiteral("<itemref idref=\"comments\"/>\n");
    }
    if (!space.board.empty()) {
        manifest += ManifestItem("board", "text/board.xhtml", page);
        spine += QStringLiteral("<itemref idref=\"board\"/>\n");
    }
    for (const BookPicture& picture : plan.pictures) {
        manifest += ManifestItem(picture.id, picture.file, picture.mediaType);
    }
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
               "unique-identifier=\"book-id\" xml:lang=\"zh-CN\">\n") +
           Metadata(space) + QStringLiteral("<manifest>\n") + manifest +
           QStringLiteral("</manifest>\n<spine>\n") + spine +
           QStringLiteral("</spine>\n</package>\n");
}

QString BookTitlePage(const SavedSpace& space, const BookPlan& plan) {
    const auto [first, last] = DateSpan(space);
    QString articles = QStringLiteral("文章 %1 篇").arg(plan.articles.size());
    if (!first.isEmpty()) {
        articles += QStringLiteral("，") + first + QStringLiteral(" 至 ") + last;
    }
    QString body = QStringLiteral("<div class=\"title-page\">\n<h1>") + SpaceName(space) +
                   QStringLiteral("</h1>\n") +
                   Paragraph(QStringLiteral("address"), XmlEscaped(space.address)) +
                   Paragraph(QStringLiteral("about"), articles);
    if (space.savedAt.isValid()) {
        const QDateTime saved = space.savedAt.toLocalTime();
        body += Paragraph(QStringLiteral("about"),
                          QStringLiteral("保存于 ") + saved.toString(QStringLiteral("yyyy-MM-dd")));
    }
    body += Paragraph(QStringLiteral("about"), QStringLiteral("由 Pagewren 从保存的文件制成"));
    return Page(SpaceName(space), {}, body + QStringLiteral("</div>\n"));
}

QString BookContents(const SavedSpace& space, const BookPlan& plan) {
    QString list = ContentsEntry(QStringLiteral("title.xhtml"), SpaceName(space));
    for (const BookCategory& category : plan.categories) {
        list += QStringLiteral("<li><span>") + Shown(category.name, kNoCategory) +
                QStringLiteral("</span>\n<ol>\n");
        for (std::size_t i = category.first; i < category.first + category.count; ++i) {
            const SavedArticle& article = *plan.articles[i].article;
            const QString date = Shown(article.date.left(10));
            list += ContentsEntry(
                plan.articles[i].file,
                (date.isEmpty() ? QString() : date + QChar(' ')) + Shown(article.title, kNoTitle));
        }
        list += QStringLiteral("</ol>\n</li>\n");
    }
    if (!space.otherComments.empty()) {
        list += ContentsEntry(QStringLiteral("text/comments.xhtml"), QStringLiteral("其他评论"));
    }
    if (!space.board.empty()) {
        list += ContentsEntry(QStringLiteral("text/board.xhtml"), QStringLiteral("留言板"));
    }
    return Page(QStringLiteral("目录"), {},
                QStringLiteral("<nav epub:type=\"toc\" id=\"toc\">\n<h1>目录</h1>\n<ol>\n") + list +
                    QStringLiteral("</ol>\n</nav>\n"));
}

QString BookArticlePage(const BookArticle& book, const QString& bodyXhtml) {
    const SavedArticle& article = *book.article;
    const QString title = Shown(article.title, kNoTitle);
    QString about = Shown(article.category, kNoCategory);
    if (const QString date = Shown(article.date); !date.isEmpty()) {
        about += kSeparator + date;
    }
    QString body = QStringLiteral("<h1>") + title + QStringLiteral("</h1>\n") +
                   Paragraph(QStringLiteral("about"), about) +
                   Paragraph(QStringLiteral("address"), OriginalAddress(article.address)) +
                   QStringLiteral("<div class=\"body\">\n") + bodyXhtml +
                   QStringLiteral("\n</div>\n");
    if (!article.comments.empty()) {
        body += QStringLiteral("<div class=\"comments\">\n<h2>评论</h2>\n");
        for (const SavedComment& comment : article.comments) {
            body += Said(QStringLiteral("comment"), comment.commenter, comment.date, comment.text);
        }
        body += QStringLiteral("</div>\n");
    }
    return Page(title, QStringLiteral("../"), body);
}

QString BookOtherComments(const SavedSpace& space) {
    QString body =
        QStringLiteral("<h1>其他评论</h1>\n") +
        Paragraph(QStringLiteral("about"), QStringLiteral("评论的文章不在这次保存之中的评论。"));
    for (const SavedComment& comment : space.otherComments) {
        body += Said(QStringLiteral("comment"), comment.commenter, comment.date, comment.text,
                     Shown(MarkupText(comment.articleTitle), kNoTitle));
    }
    return Page(QStringLiteral("其他评论"), QStringLiteral("../"), body);
}

QString BookBoard(const SavedSpace& space) {
    QString body = QStringLiteral("<h1>留言板</h1>\n");
    for (const SavedMessage& message : space.board) {
        body += Said(QStringLiteral("message"), message.author, message.date, message.text);
    }
    return Page(QStringLiteral("留言板"), QStringLiteral("../"), body);
}
