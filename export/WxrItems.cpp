#include <QLocale>
#include <QSet>
#include <QUrl>

#include "export/Wxr.h"
#include "export/XmlText.h"

namespace {

const QString kNoDate = QStringLiteral("0000-00-00 00:00:00");
const QString kWordPressDate = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// An element holding text in CDATA sections.
QString Element(const QString& name, const QString& text) {
    return QChar('<') + name + QChar('>') + XmlCData(text) + QStringLiteral("</") + name +
           QStringLiteral(">\n");
}

// An element holding a number or a fixed word, which need no escaping.
QString Plain(const QString& name, const QString& value) {
    return QChar('<') + name + QChar('>') + value + QStringLiteral("</") + name +
           QStringLiteral(">\n");
}

// The date as RSS writes it (RFC 822), in UTC; empty for no date.
QString RssDate(const QDateTime& moment) {
    if (!moment.isValid()) {
        return {};
    }
    return QLocale::c().toString(moment.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")) +
           QStringLiteral(" +0000");
}

// The owner's login: the space's name, which is also its folder's.
QString Author(const SavedSpace& space) {
    return space.name.isEmpty() ? QStringLiteral("pagewren") : space.name;
}

QString ChannelAuthor(const SavedSpace& space) {
    return QStringLiteral("<wp:author>") + Plain(QStringLiteral("wp:author_id"), "1") +
           Element(QStringLiteral("wp:author_login"), Author(space)) +
           Element(QStringLiteral("wp:author_email"), {}) +
           Element(QStringLiteral("wp:author_display_name"), Author(space)) +
           Element(QStringLiteral("wp:author_first_name"), {}) +
           Element(QStringLiteral("wp:author_last_name"), {}) + QStringLiteral("</wp:author>\n");
}

QString ChannelCategory(const WxrCategory& category, int id) {
    return QStringLiteral("<wp:category>") +
           Plain(QStringLiteral("wp:term_id"), QString::number(id)) +
           Element(QStringLiteral("wp:category_nicename"), category.slug) +
           Element(QStringLiteral("wp:category_parent"), {}) +
           Element(QStringLiteral("wp:cat_name"), category.name) +
           QStringLiteral("</wp:category>\n");
}

QString CommentElement(const WxrComment& comment) {
    const WxrDates dates = WxrDatesOf(comment.date);
    return QStringLiteral("<wp:comment>\n") +
           Plain(QStringLiteral("wp:comment_id"), QString::number(comment.id)) +
           Element(QStringLiteral("wp:comment_author"), comment.author) +
           Element(QStringLiteral("wp:comment_author_email"), {}) +
           Element(QStringLiteral("wp:comment_author_url"), {}) +
           Element(QStringLiteral("wp:comment_author_IP"), {}) +
           Element(QStringLiteral("wp:comment_date"), dates.local) +
           Element(QStringLiteral("wp:comment_date_gmt"), dates.gmt) +
           Element(QStringLiteral("wp:comment_content"), comment.content) +
           Element(QStringLiteral("wp:comment_approved"), QStringLiteral("1")) +
           Element(QStringLiteral("wp:comment_type"), QStringLiteral("comment")) +
           Element(QStringLiteral("wp:comment_parent"), QStringLiteral("0")) +
           Plain(QStringLiteral("wp:comment_user_id"), QStringLiteral("0")) +
           QStringLiteral("</wp:comment>\n");
}

// The fields every item has, of a post, a page or an attachment.
QString ItemFields(const SavedSpace& space, int id, const QString& date, const QString& slug,
                   const QString& status, int parent, const QString& type) {
    const WxrDates dates = WxrDatesOf(date);
    return Element(QStringLiteral("dc:creator"), Author(space)) +
           Plain(QStringLiteral("wp:post_id"), QString::number(id)) +
           Element(QStringLiteral("wp:post_date"), dates.local) +
           Element(QStringLiteral("wp:post_date_gmt"), dates.gmt) +
           Element(QStringLiteral("wp:comment_status"), QStringLiteral("open")) +
           Element(QStringLiteral("wp:ping_status"), QStringLiteral("closed")) +
           Element(QStringLiteral("wp:post_name"), slug) +
           Element(QStringLiteral("wp:status"), status) +
           Plain(QStringLiteral("wp:post_parent"), QString::number(parent)) +
           Plain(QStringLiteral("wp:menu_order"), QStringLiteral("0")) +
           Element(QStringLiteral("wp:post_type"), type) +
           Element(QStringLiteral("wp:post_password"), {}) +
           Plain(QStringLiteral("wp:is_sticky"), QStringLiteral("0"));
}

}  // namespace

WxrDates WxrDatesOf(const QString& serviceDate) {
    const QDateTime moment = ServiceDateTime(serviceDate);
    if (!moment.isValid()) {
        return {kNoDate, kNoDate};
    }
    return {moment.toString(kWordPressDate), moment.toUTC().toString(kWordPressDate)};
}

std::vector<WxrCategory> WxrCategories(const SavedSpace& space) {
    std::vector<WxrCategory> categories;
    QSet<QString> names;
    QSet<QString> slugs;
    for (const SavedArticle& article : space.articles) {
        if (names.contains(article.category)) {
            continue;
        }
        names.insert(article.category);
        QString base =
            QString::fromLatin1(QUrl::toPercentEncoding(XmlCharacters(article.category)
                                                            .simplified()
                                                            .toLower()
                                                            .replace(QChar(' '), QChar('-'))));
        base = base.toLower();
        if (base.isEmpty()) {
            base = QStringLiteral("category");
        }
        QString slug = base;
        for (int n = 2; slugs.contains(slug); ++n) {
            slug = base + QChar('-') + QString::number(n);
        }
        slugs.insert(slug);
        categories.push_back({article.category, slug});
    }
    return categories;
}

QString WxrHead(const SavedSpace& space, const std::vector<WxrCategory>& categories) {
    QString head = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rss version=\"2.0\"\n"
        " xmlns:excerpt=\"http://wordpress.org/export/1.2/excerpt/\"\n"
        " xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"\n"
        " xmlns:wfw=\"http://wellformedweb.org/CommentAPI/\"\n"
        " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
        " xmlns:wp=\"http://wordpress.org/export/1.2/\">\n"
        "<channel>\n");
    const QUrl address(space.address);
    head += Element(QStringLiteral("title"), space.name.toHtmlEscaped()) +
            Plain(QStringLiteral("link"), XmlEscaped(space.address)) +
            Element(QStringLiteral("description"), {}) +
            Plain(QStringLiteral("pubDate"), RssDate(space.savedAt)) +
            Plain(QStringLiteral("language"), QStringLiteral("zh-CN")) +
            Plain(QStringLiteral("wp:wxr_version"), QStringLiteral("1.2")) +
            Plain(QStringLiteral("wp:base_site_url"),
                  XmlEscaped(address.adjusted(QUrl::RemovePath).toString())) +
            Plain(QStringLiteral("wp:base_blog_url"), XmlEscaped(space.address)) +
            ChannelAuthor(space);
    for (std::size_t i = 0; i < categories.size(); ++i) {
        head += ChannelCategory(categories[i], static_cast<int>(i) + 1);
    }
    return head + Plain(QStringLiteral("generator"), QStringLiteral("Pagewren"));
}

QString WxrTail() {
    return QStringLiteral("</channel>\n</rss>\n");
}

QString WxrPostItem(const SavedSpace& space, const WxrPost& post,
                    const std::vector<WxrComment>& comments) {
    QString item =
        QStringLiteral("<item>\n") + Element(QStringLiteral("title"), post.title.toHtmlEscaped()) +
        Plain(QStringLiteral("link"), XmlEscaped(post.address)) +
        Plain(QStringLiteral("pubDate"), RssDate(ServiceDateTime(post.date))) +
        QStringLiteral("<guid isPermaLink=\"false\">") + XmlEscaped(post.address) +
        QStringLiteral("</guid>\n") + Element(QStringLiteral("description"), {}) +
        Element(QStringLiteral("content:encoded"), post.content) +
        Element(QStringLiteral("excerpt:encoded"), {}) +
        ItemFields(space, post.id, post.date, post.slug, QStringLiteral("publish"), 0, post.type);
    if (!post.categorySlug.isEmpty()) {
        item += QStringLiteral("<category domain=\"category\" nicename=\"") +
                XmlEscaped(post.categorySlug) + QStringLiteral("\">") + XmlCData(post.category) +
                QStringLiteral("</category>\n");
    }
    for (const WxrComment& comment : comments) {
        item += CommentElement(comment);
    }
    return item + QStringLiteral("</item>\n");
}

QString WxrAttachmentItem(const SavedSpace& space, int id, int parent, const QString& date,
                          const QString& address) {
    const QString name = QUrl(address).fileName();
    return QStringLiteral("<item>\n") +
           Element(QStringLiteral("title"), (name.isEmpty() ? address : name).toHtmlEscaped()) +
           Plain(QStringLiteral("link"), XmlEscaped(address)) +
           QStringLiteral("<guid isPermaLink=\"false\">") + XmlEscaped(address) +
           QStringLiteral("</guid>\n") + Element(QStringLiteral("description"), {}) +
           Element(QStringLiteral("content:encoded"), {}) +
           Element(QStringLiteral("excerpt:encoded"), {}) +
           ItemFields(space, id, date, QStringLiteral("picture-") + QString::number(id),
                      QStringLiteral("inherit"), parent, QStringLiteral("attachment")) +
           Element(QStringLiteral("wp:attachment_url"), address) + QStringLiteral("</item>\n");
}
