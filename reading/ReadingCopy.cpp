#include "reading/ReadingCopy.h"

#include <QHash>
#include <optional>

#include "app/SafeNames.h"
#include "app/SpaceAddress.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/FolderBeneath.h"
#include "platform/Http.h"
#include "platform/StagedFolder.h"
#include "reading/AlbumPage.h"
#include "reading/ArticlePage.h"
#include "reading/CssCleaner.h"
#include "reading/HtmlText.h"
#include "reading/LocalPictures.h"
#include "reading/ReadingNames.h"
#include "reading/RecordPage.h"
#include "reading/StartPage.h"
#include "space/SaveRecord.h"
#include "space/SavedComments.h"
#include "space/SavedFiles.h"
#include "space/SpaceContents.h"

namespace {

struct PagedArticle {
    ReadingArticle* article;
    const QString* category;
};

class CopyWriter {
public:
    CopyWriter(const QString& spaceFolder, SpaceContents& contents, const LocalPictures& pictures,
               platform::StagedFolder& staged)
        : spaceFolder_(spaceFolder), contents_(contents), pictures_(pictures), staged_(staged) {}

    bool Write(StartPageParts& start) {
        start.readingFolder = RelativeLink(kReadingFolderName);
        if (contents_.css.present && WriteStyleSheet()) {
            styleSheet_ = RelativeLink(kCssFileName);
            start.styleSheet = RelativeLink(kReadingFolderName + QChar('/') + kCssFileName);
        }
        AssignPages();
        PlaceComments();
        WriteArticles();
        start.albumPhotos = WriteAlbum();
        start.savedPictures = pictures_.Saved();
        start.unsavedPictures = pictures_.Unsaved();
        start.picturesSavedAt = pictures_.SavedAt();
        start.boardRecords =
            WriteRecords(contents_.board, QStringLiteral("留言版"), kBoardPageName);
        start.commentRecords = WriteCommentPage();
        platform::StopIfRequested();
        return staged_.Commit();
    }

    int ArticlePages() const { return static_cast<int>(paged_.size()); }

private:
    void AssignPages() {
        for (ReadingCategory& category : contents_.categories) {
            for (ReadingArticle& article : category.articles) {
                if (!article.html.isEmpty() || !article.txt.isEmpty()) {
                    article.page = QString::number(paged_.size() + 1) + QStringLiteral(".html");
                    paged_.push_back({&article, &category.name});
                }
            }
        }
    }

    // Puts each comment of the comment page under the article page of the article it names;
    // the others stand on the comment page alone.
    void PlaceComments() {
        const std::optional<QString> text = contents_.comments.present
                                                ? ReadSavedText(spaceFolder_, kCommentFileName)
                                                : std::nullopt;
        if (!text) {
            return;
        }
        commentPageRead_ = true;
        commentRecords_ = ParseSavedRecords(*text);
        QHash<QString, ReadingArticle*> byAddress;
        for (const PagedArticle& paged : paged_) {
            if (const QString key = ArticleAddressKey(paged.article->address); !key.isEmpty()) {
                byAddress.insert(key, paged.article);
            }
        }
        for (SavedComment& comment : SavedCommentsOf(commentRecords_, contents_.commentNotes)) {
            ReadingArticle* article = byAddress.value(ArticleAddressKey(comment.articleAddress));
            commentPlaces_.push_back({comment.date, article});
            if (article != nullptr) {
                article->comments.push_back(std::move(comment));
            }
        }
    }

    // Returns the number of records, or -1 when the page is not there or cannot be read.
    int WriteCommentPage() {
        if (!commentPageRead_) {
            return -1;
        }
        std::vector<CommentPlace> places;
        for (const auto& [date, article] : commentPlaces_) {
            places.push_back(article != nullptr ? CommentPlace{date, article->page, article->title}
                                                : CommentPlace{date, {}, {}});
        }
        staged_.WriteFile(kCommentPageName, RecordPage(QStringLiteral("文章评论"), kCommentFileName,
                                                       commentRecords_, styleSheet_, places)
                                                .toUtf8());
        return static_cast<int>(commentRecords_.size());
    }

    PageLink LinkTo(std::size_t i) const {
        return i < paged_.size() ? PageLink{paged_[i].article->page, paged_[i].article->title}
                                 : PageLink{};
    }

    // Each article is read one ahead of its page, whose link to the next article shows the
    // title that article's saved page gives.
    void WriteArticles() {
        ArticlePageParts ahead = ReadArticle(0);
        // A copy of many thousand articles takes seconds: an interrupt ends it between pages,
        // before anything takes the earlier copy's place.
        for (std::size_t i = 0; i < paged_.size(); ++i) {
            platform::StopIfRequested();
            ArticlePageParts parts = std::move(ahead);
            if (i + 1 < paged_.size()) {
                ahead = ReadArticle(i + 1);
            }
            parts.previous = i > 0 ? LinkTo(i - 1) : PageLink{};
            parts.next = LinkTo(i + 1);
            const ReadingArticle& article = *paged_[i].article;
            staged_.WriteFile(article.page, ArticlePage(article, parts).toUtf8());
        }
    }

    ArticlePageParts ReadArticle(std::size_t i) {
        ArticlePageParts parts;
        if (i < paged_.size()) {
            parts.spaceName = SpaceName();
            parts.category = *paged_[i].category;
            parts.styleSheet = styleSheet_;
            parts.pictures = pictures_.Lookup();
            ReadBody(*paged_[i].article, parts);
        }
        return parts;
    }

    // The fragment when it holds anything, else the text file; a date missing from the
    // record is taken from what was read, and the title from the page the fragment was cut
    // from, as it showed it: the listed one is cleaned for file names ("?" made a blank).
    void ReadBody(ReadingArticle& article, ArticlePageParts& parts) const {
        if (!article.html.isEmpty()) {
            const std::optional<QString> markup = ReadSavedText(spaceFolder_, article.html);
            parts.readable = markup.has_value();
            parts.savedMarkup = markup.value_or(QString());
            if (article.date.isEmpty()) {
                article.date = SavedMarkupDate(parts.savedMarkup);
            }
            if (const QString title = SavedMarkupTitle(parts.savedMarkup); !title.isEmpty()) {
                article.title = title;
            }
        }
        if (parts.savedMarkup.isEmpty() && !article.txt.isEmpty()) {
            const std::optional<QString> text = ReadSavedText(spaceFolder_, article.txt);
            parts.readable = text.has_value();
            parts.savedText = ParseSavedText(text.value_or(QString()));
            if (article.date.isEmpty()) {
                article.date = parts.savedText.date;
            }
        }
    }

    // The sheet in UTF-8, which the reading pages are in, declared first so that a
    // browser reads its Chinese font names right; cleaned of every address it would fetch
    // (the saved sheet keeps them).
    bool WriteStyleSheet() {
        const std::optional<QString> sheet = ReadSavedText(spaceFolder_, kCssFileName);
        const QString declared = QStringLiteral("@charset \"utf-8\";\n");
        return sheet && staged_.WriteFile(kCssFileName,
                                          (declared + CleanCss(*sheet) + QChar('\n')).toUtf8());
    }

    // Returns the number of photos on the page; none is written for a space without photos.
    int WriteAlbum() {
        const std::vector<AlbumPhoto>& album = pictures_.Album();
        if (!album.empty()) {
            staged_.WriteFile(kAlbumPageName, AlbumPage(album, SpaceName(), styleSheet_).toUtf8());
        }
        return static_cast<int>(album.size());
    }

    // Returns the number of records, or -1 when the page is not there or cannot be read.
    int WriteRecords(const ReadingFile& file, const QString& title, const QString& pageName) {
        if (!file.present) {
            return -1;
        }
        const std::optional<QString> text = ReadSavedText(spaceFolder_, file.name);
        if (!text) {
            return -1;
        }
        const std::vector<SavedRecord> records = ParseSavedRecords(*text);
        staged_.WriteFile(pageName, RecordPage(title, file.name, records, styleSheet_).toUtf8());
        return static_cast<int>(records.size());
    }

    QString SpaceName() const { return spaceFolder_.section(QChar('/'), -2, -2); }

    const QString spaceFolder_;
    SpaceContents& contents_;
    const LocalPictures& pictures_;
    platform::StagedFolder& staged_;
    QString styleSheet_;
    std::vector<PagedArticle> paged_;
    bool commentPageRead_ = false;
    std::vector<SavedRecord> commentRecords_;
    // Of each comment record: its date and the article it stands under, if any.
    std::vector<std::pair<QString, const ReadingArticle*>> commentPlaces_;
};

// The start page goes to its file in pieces of about this many bytes.
constexpr qsizetype kWriteBytes = 256 * 1024;

bool PutStartPage(const QString& path, const SpaceContents& contents, const StartPageParts& parts) {
    platform::ReplacingFile file(path);
    bool written = file.Open();
    QByteArray pending;
    const auto flush = [&] {
        written = written && file.Write(pending.constData(), pending.size());
        pending.clear();
    };
    WriteStartPage(contents, parts, [&](const QString& piece) {
        pending += piece.toUtf8();
        if (pending.size() >= kWriteBytes) {
            flush();
        }
    });
    flush();
    return written && file.Commit();
}

}  // namespace

bool RefreshReadingCopy(const QString& appFolder, const QString& address, bool noted) {
    const QString spaceFolder = SpaceFolderPath(appFolder, address);
    if (SpaceFolderName(address).isEmpty() || !platform::PathExists(spaceFolder)) {
        return noted;
    }
    return WriteReadingCopy(spaceFolder, SpacePageAddress(address, QString())).written && noted;
}

ReadingCopyOutcome WriteReadingCopy(const QString& spaceFolder, const QString& address) {
    return WriteReadingCopy(spaceFolder, address, LoadSaveRecord(spaceFolder));
}

ReadingCopyOutcome WriteReadingCopy(const QString& spaceFolder, const QString& address,
                                    const std::optional<SaveRecord>& record) {
    ReadingCopyOutcome outcome;
    if (!platform::PathExists(spaceFolder)) {
        return outcome;
    }
    SpaceContents contents = GatherSpace(spaceFolder, address, record);
    platform::StagedFolder staged(spaceFolder + kReadingFolderName);
    if (!staged.Open()) {
        return outcome;
    }
    static const std::optional<RecordedPictures> kNoPictures;
    const LocalPictures pictures(spaceFolder, record ? record->pictures : kNoPictures);
    CopyWriter writer(spaceFolder, contents, pictures, staged);
    StartPageParts start;
    if (!writer.Write(start)) {
        return outcome;
    }
    outcome.articlePages = writer.ArticlePages();
    outcome.written = PutStartPage(spaceFolder + kStartPageName, contents, start);
    return outcome;
}
