#include "export/Wxr.h"

#include <QHash>
#include <QSet>
#include <QUrl>

#include "export/Export.h"
#include "export/OutputFile.h"
#include "export/ParsedMarkup.h"
#include "export/XhtmlBody.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"

namespace {

// The file goes to the disk in pieces of about this many bytes.
constexpr qsizetype kWriteBytes = 256 * 1024;

const QString kNoTitle = QStringLiteral("（无标题）");

// The WXR file, written beside its destination and put in its place whole by Commit.
class WxrFile {
public:
    explicit WxrFile(const QString& path) : file_(path) {}

    bool Open() { return written_ = file_.Open(); }

    void Put(const QString& piece) {
        pending_ += piece.toUtf8();
        if (pending_.size() >= kWriteBytes) {
            Flush();
        }
    }

    bool Commit() {
        Flush();
        return written_ && file_.Commit();
    }

private:
    void Flush() {
        written_ = written_ && file_.Write(pending_.constData(), pending_.size());
        pending_.clear();
    }

    platform::ReplacingFile file_;
    QByteArray pending_;
    bool written_ = false;
};

// The slug of an article: its id in the service's address ("/blog/item/ID.html") when that is
// one, else "article-" and its number; none the same as one taken before.
QString PostSlug(const QString& address, int id, QSet<QString>& taken) {
    QString slug = QUrl(address).fileName().section(QChar('.'), 0, 0).toLower();
    const bool plain = std::all_of(slug.begin(), slug.end(), [](QChar c) {
        return (c >= QChar('a') && c <= QChar('z')) || (c >= QChar('0') && c <= QChar('9')) ||
               c == QChar('-') || c == QChar('_');
    });
    if (slug.isEmpty() || !plain || taken.contains(slug)) {
        slug = QStringLiteral("article-") + QString::number(id);
    }
    taken.insert(slug);
    return slug;
}

QString ShownTitleOf(const QString& title) {
    const QString shown = title.trimmed();
    return shown.isEmpty() ? kNoTitle : shown;
}

// The post (or page) a picture is attached to and its date.
struct Attachment {
    int parent = 0;
    QString date;
};

class WxrExport {
public:
    WxrExport(const QString& spaceFolder, const SavedSpace& space, WxrFile& file)
        : spaceFolder_(spaceFolder), space_(space), file_(file) {}

    void Write() {
        const std::vector<WxrCategory> categories = WxrCategories(space_);
        QHash<QString, QString> slugs;
        for (const WxrCategory& category : categories) {
            slugs.insert(category.name, category.slug);
        }
        file_.Put(WxrHead(space_, categories));
        for (const SavedArticle& article : space_.articles) {
            // A stop leaves the unfinished file unnamed, and so nowhere.
            platform::StopIfRequested();
            PutArticle(article, slugs.value(article.category));
        }
        PutPages();
        PutAttachments();
        file_.Put(WxrTail());
    }

    int Attachments() const { return attachments_; }

private:
    void PutArticle(const SavedArticle& article, const QString& categorySlug) {
        const int id = nextPost_++;
        const QString body = ReadArticleBody(spaceFolder_, article);
        for (const SavedPicture& picture : PicturesShown(space_, body, article.address)) {
            if (!attached_.contains(picture.address)) {
                attached_.insert(picture.address, {id, article.date});
                order_.push_back(picture.address);
            }
        }
        // Pictures keep their original addresses, which the importer fetches and replaces.
        const QString content =
            BodyAsXhtml(body, article.address, [](const QString& address) { return address; });
        const WxrPost post{id,
                           QStringLiteral("post"),
                           ShownTitleOf(article.title),
                           article.address,
                           article.date,
                           PostSlug(article.address, id, slugs_),
                           article.category,
                           categorySlug,
                           content};
        std::vector<WxrComment> comments;
        for (const SavedComment& comment : article.comments) {
            comments.push_back(Comment(comment.commenter, comment.date, comment.text, {}));
        }
        file_.Put(WxrPostItem(space_, post, comments));
    }

    // The board and the comments that name no saved article, as pages with their comments.
    void PutPages() {
        if (!space_.board.empty()) {
            std::vector<WxrComment> messages;
            for (const SavedMessage& message : space_.board) {
                messages.push_back(Comment(message.author, message.date, message.text, {}));
            }
            PutPage(QStringLiteral("留言板"), QStringLiteral("board"),
                    QStringLiteral("<p>空间留言板上的留言。</p>"), space_.board.front().date,
                    messages);
        }
        if (!space_.otherComments.empty()) {
            std::vector<WxrComment> comments;
            for (const SavedComment& comment : space_.otherComments) {
                comments.push_back(
                    Comment(comment.commenter, comment.date, comment.text, comment.articleTitle));
            }
            PutPage(QStringLiteral("文章评论"), QStringLiteral("comments"),
                    QStringLiteral("<p>评论的文章不在这次保存之中的评论。</p>"),
                    space_.otherComments.front().date, comments);
        }
    }

    void PutPage(const QString& title, const QString& slug, const QString& content,
                 const QString& date, const std::vector<WxrComment>& comments) {
        const WxrPost page{
            nextPost_++, QStringLiteral("page"), title, QString(), date, slug, QString(), QString(),
            content};
        file_.Put(WxrPostItem(space_, page, comments));
    }

    // Every picture the articles show and every one the save record notes, each once.
    void PutAttachments() {
        for (const SavedPicture& picture : space_.pictures) {
            if (!attached_.contains(picture.address)) {
                attached_.insert(picture.address, {});
                order_.push_back(picture.address);
            }
        }
        for (const QString& address : order_) {
            const Attachment attachment = attached_.value(address);
            file_.Put(WxrAttachmentItem(space_, nextPost_++, attachment.parent, attachment.date,
                                        address));
            ++attachments_;
        }
    }

    // A comment or message of the saved pages: its cells hold markup as the page held it.
    WxrComment Comment(const QString& author, const QString& date, const QString& text,
                       const QString& articleTitle) {
        QString content = BodyAsXhtml(text, space_.address, {});
        if (!articleTitle.isEmpty()) {
            content = QStringLiteral("<p>评论文章：") + MarkupText(articleTitle).toHtmlEscaped() +
                      QStringLiteral("</p>") + content;
        }
        return {nextComment_++, MarkupText(author), MarkupText(date), content};
    }

    const QString& spaceFolder_;
    const SavedSpace& space_;
    WxrFile& file_;
    int nextPost_ = 1;
    int nextComment_ = 1;
    int attachments_ = 0;
    QSet<QString> slugs_;
    QHash<QString, Attachment> attached_;
    std::vector<QString> order_;
};

ExportOutcome Failed(const QString& outPath) {
    return {false, QStringLiteral("无法写入 WXR 文件 %1").arg(outPath), 0, 0};
}

// A WXR file is an RSS file in WordPress's export namespace.
bool IsWxr(const QByteArray& head) {
    return head.contains("<rss") && head.contains("http://wordpress.org/export/");
}

}  // namespace

ExportOutcome ExportWxr(const QString& spaceFolder, const SavedSpace& space,
                        const QString& outPath) {
    if (const std::optional<QString> refused =
            RefusedFilePath(outPath, QStringLiteral("WXR 文件"), IsWxr)) {
        return {false, *refused, 0, 0};
    }
    WxrFile file(outPath);
    if (!file.Open()) {
        return Failed(outPath);
    }
    WxrExport wxr(spaceFolder, space, file);
    wxr.Write();
    if (!file.Commit()) {
        return Failed(outPath);
    }
    return {true, {}, static_cast<int>(space.articles.size()), wxr.Attachments()};
}
