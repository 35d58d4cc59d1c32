#include "export/Epub.h"

#include "export/Export.h"
#include "export/OutputFile.h"
#include "export/XhtmlBody.h"
#include "platform/EventPump.h"
#include "platform/FolderBeneath.h"
#include "platform/Http.h"
#include "platform/ZipWriter.h"
#include "space/PictureType.h"

namespace {

using platform::ZipWriter;

// Far above any picture a blog showed.
constexpr qint64 kMostPictureBytes = 64LL * 1024 * 1024;

const QString kContentFolder = QStringLiteral("OEBPS/");

// Whether the run is asked to stop. The entries are made inside the zip library, which no
// exception may cross: an entry asked for then is not made, and the book not written.
bool StopAsked() {
    const platform::EventPump* pump = platform::RequestPump();
    return pump != nullptr && pump->StopRequested();
}

// The media type of the kinds of picture a book holds; empty for the others.
QString MediaTypeOf(PictureType type) {
    switch (type) {
        case PictureType::Jpeg:
            return QStringLiteral("image/jpeg");
        case PictureType::Png:
            return QStringLiteral("image/png");
        case PictureType::Gif:
            return QStringLiteral("image/gif");
        default:
            return {};
    }
}

// The book's entries, each made while the book is written, so that no more than one
// article or picture is held at a time.
class BookWriter {
public:
    BookWriter(const QString& spaceFolder, const SavedSpace& space, const BookPlan& plan,
               ZipWriter& zip)
        : spaceFolder_(spaceFolder), space_(space), plan_(plan), zip_(zip) {}

    bool AddEntries() {
        // A reader knows the book by its first entry, which stands uncompressed.
        bool added = zip_.Add(QStringLiteral("mimetype"), Fixed("application/epub+zip"),
                              ZipWriter::Packing::Stored);
        added = added && Add("META-INF/container.xml", [] { return BookContainer(); });
        added = added &&
                Add(kContentFolder + "content.opf", [this] { return BookPackage(space_, plan_); });
        added = added && Add(kContentFolder + "book.css", [] { return BookStyle(); });
        added = added && Add(kContentFolder + "title.xhtml",
                             [this] { return BookTitlePage(space_, plan_); });
        added = added && Add(kContentFolder + "contents.xhtml",
                             [this] { return BookContents(space_, plan_); });
        for (const BookArticle& article : plan_.articles) {
            added = added && Add(kContentFolder + article.file,
                                 [this, &article] { return ArticlePage(article); });
        }
        if (!space_.otherComments.empty()) {
            added = added && Add(kContentFolder + "text/comments.xhtml",
                                 [this] { return BookOtherComments(space_); });
        }
        if (!space_.board.empty()) {
            added = added &&
                    Add(kContentFolder + "text/board.xhtml", [this] { return BookBoard(space_); });
        }
        for (const BookPicture& picture : plan_.pictures) {
            added = added && zip_.Add(
                                 kContentFolder + picture.file,
                                 [this, &picture] { return PictureBytes(picture); },
                                 ZipWriter::Packing::Stored);
        }
        return added;
    }

    // Why an entry could not be made; empty when every one was.
    const QString& Failure() const { return failure_; }

private:
    static ZipWriter::Content Fixed(const char* text) {
        return [text] { return std::optional<QByteArray>(QByteArray(text)); };
    }

    bool Add(const QString& name, std::function<QString()> document) {
        return zip_.Add(
            name,
            [this, document]() -> std::optional<QByteArray> {
                if (StopAsked()) {
                    failure_ = QStringLiteral("已中断");
                    return std::nullopt;
                }
                return document().toUtf8();
            },
            ZipWriter::Packing::Deflated);
    }

    QString ArticlePage(const BookArticle& article) const {
        const QString body = ReadArticleBody(spaceFolder_, *article.article);
        const QString xhtml = BodyAsXhtml(
            body, article.article->address,
            [this](const QString& address) { return BookPictureLink(plan_, address); },
            kBookPictures);
        return BookArticlePage(article, xhtml);
    }

    // The picture's saved file, which must still hold a picture of the kind the book names.
    std::optional<QByteArray> PictureBytes(const BookPicture& picture) {
        if (StopAsked()) {
            failure_ = QStringLiteral("已中断");
            return std::nullopt;
        }
        const std::optional<std::string> bytes = platform::ReadFileBeneath(
            spaceFolder_, spaceFolder_ + picture.saved, kMostPictureBytes);
        const std::optional<PictureType> type =
            bytes ? PictureTypeOf(std::string_view(*bytes).substr(0, kPictureHeadBytes))
                  : std::nullopt;
        if (!type || MediaTypeOf(*type) != picture.mediaType) {
            failure_ = QStringLiteral("图片文件 %1 无法读取，或者已经不是保存时的图片")
                           .arg(spaceFolder_ + picture.saved);
            return std::nullopt;
        }
        return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
    }

    const QString& spaceFolder_;
    const SavedSpace& space_;
    const BookPlan& plan_;
    ZipWriter& zip_;
    QString failure_;
};

ExportOutcome Failed(const QString& outPath, const QString& why) {
    return {false, QStringLiteral("无法写入电子书 %1：%2").arg(outPath, why), 0, 0};
}

// An EPUB book begins with its "mimetype" entry, stored.
bool IsBook(const QByteArray& head) {
    return head.startsWith("PK\x03\x04") && head.mid(30, 28) == "mimetypeapplication/epub+zip";
}

}  // namespace

ExportOutcome ExportEpub(const QString& spaceFolder, const SavedSpace& space,
                         const QString& outPath) {
    if (const std::optional<QString> refused =
            RefusedFilePath(outPath, QStringLiteral("EPUB 电子书"), IsBook)) {
        return {false, *refused, 0, 0};
    }
    const BookPlan plan = PlanBook(spaceFolder, space);
    ZipWriter zip(outPath, space.savedAt.isValid() ? space.savedAt : QDateTime::currentDateTime());
    if (!zip.Open()) {
        return Failed(outPath, zip.Error());
    }
    BookWriter book(spaceFolder, space, plan, zip);
    if (!book.AddEntries() || !zip.Commit()) {
        return Failed(outPath, book.Failure().isEmpty() ? zip.Error() : book.Failure());
    }
    return {
        true, {}, static_cast<int>(plan.articles.size()), static_cast<int>(plan.pictures.size())};
}
