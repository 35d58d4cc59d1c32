#include "space/SpaceContents.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>

#include "app/SafeNames.h"
#include "platform/Http.h"
#include "platform/StagedFolder.h"
#include "space/ArticlePaths.h"
#include "space/SpaceFiles.h"
#include "space/SpaceText.h"

const QString kSongFolderName = QStringLiteral("背景音乐");

namespace {

const QString kHtml = QStringLiteral(".html");
const QString kTxt = QStringLiteral(".txt");
const QString kDoc = QStringLiteral(".html.doc");
// The character that ends the reading folder's name: no category folder holds it, since
// the cleaning of names makes it "_" (WithHarmlessCharacters).
constexpr QChar kOwnMark = QChar(0x7F);

// The files of one article on disk: "<row> <title>" and the extensions found.
struct DiskArticle {
    int row = 0;
    QString stem;
    bool html = false;
    bool txt = false;
    bool doc = false;
    bool claimed = false;  // named by the record
};

struct DiskFolder {
    QString name;
    std::vector<DiskArticle> articles;
    QHash<QString, std::size_t> byStem;
    QStringList otherFiles;
    qint64 newestArticleMs = 0;
    qint64 newestOtherMs = 0;
};

// What a saved article's file name holds after its row number: the cleaned title.
QString TitleOf(const QString& stem) {
    return stem.mid(stem.indexOf(QChar(' ')) + 1);
}

// The row number a saved article's file name begins with, or 0 when it has none.
int RowOf(const QString& stem) {
    const qsizetype blank = stem.indexOf(QChar(' '));
    bool number = false;
    const int row = blank > 0 ? stem.left(blank).toInt(&number) : 0;
    return number && row > 0 ? row : 0;
}

// The article of that stem in the folder, added when new.
DiskArticle& ArticleOf(DiskFolder& folder, const QString& stem, int row) {
    const auto at = folder.byStem.constFind(stem);
    if (at != folder.byStem.constEnd()) {
        return folder.articles[*at];
    }
    folder.byStem.insert(stem, folder.articles.size());
    folder.articles.push_back({row, stem, false, false, false, false});
    return folder.articles.back();
}

// Adds the file to the folder's articles when it is one; returns false otherwise.
bool TakeArticleFile(DiskFolder& folder, const QString& fileName) {
    // ".html.doc" before ".html", which it also ends in.
    for (const auto& [extension, kind] : {std::pair{kDoc, &DiskArticle::doc},
                                          {kHtml, &DiskArticle::html},
                                          {kTxt, &DiskArticle::txt}}) {
        if (fileName.endsWith(extension)) {
            const QString stem = fileName.chopped(extension.size());
            const int row = RowOf(stem);
            if (row == 0) {
                return false;
            }
            ArticleOf(folder, stem, row).*kind = true;
            return true;
        }
    }
    return false;
}

DiskFolder ReadFolder(const QString& spaceFolder, const QString& name, QStringList& links) {
    DiskFolder folder{name, {}, {}, {}, 0, 0};
    for (const platform::FolderEntry& entry : platform::ListFolder(spaceFolder + name)) {
        // A folder of thousands of articles takes a while: an interrupt ends it.
        platform::StopIfRequested();
        if (entry.isLink) {
            links << name + QChar('/') + entry.name;
        }
        if (entry.isFolder || entry.isLink) {
            continue;
        }
        if (TakeArticleFile(folder, entry.name)) {
            folder.newestArticleMs = std::max(folder.newestArticleMs, entry.modifiedMs);
        } else {
            folder.otherFiles << entry.name;
            folder.newestOtherMs = std::max(folder.newestOtherMs, entry.modifiedMs);
        }
    }
    return folder;
}

QDateTime TimeOf(qint64 ms) {
    return ms > 0 ? QDateTime::fromMSecsSinceEpoch(ms) : QDateTime();
}

KnownOutcome Known(RowOutcome outcome) {
    switch (outcome) {
        case RowOutcome::Failed:
            return KnownOutcome::Failed;
        case RowOutcome::Skipped:
            return KnownOutcome::Skipped;
        case RowOutcome::Saved:
            break;
    }
    return KnownOutcome::Saved;
}

// Puts the articles into categories: the record's rows, then the files it does not name.
class CategoryBuilder {
public:
    CategoryBuilder(std::vector<DiskFolder>& folders, std::vector<ReadingCategory>& categories)
        : folders_(folders), categories_(categories) {
        for (std::size_t i = 0; i < folders_.size(); ++i) {
            folderIndex_.insert(folders_[i].name, i);
        }
    }

    void AddRecorded(const RecordedArticle& recorded) {
        const QString folderName = SafeName(recorded.category);
        ReadingArticle article;
        article.row = recorded.row;
        article.title = DecodeEntities(recorded.title);
        article.date = recorded.date;
        article.address = recorded.address;
        article.from = recorded.from;
        article.outcome = Known(recorded.outcome);
        const auto folder = folderIndex_.constFind(folderName);
        if (folder != folderIndex_.constEnd()) {
            DiskFolder& disk = folders_[*folder];
            const auto at =
                disk.byStem.constFind(ArticleFileName(recorded.row, recorded.title, {}));
            if (at != disk.byStem.constEnd()) {
                disk.articles[*at].claimed = true;
                SetFiles(article, disk, disk.articles[*at]);
                savedTitles_.insert(folderName + QChar('/') + TitleOf(disk.articles[*at].stem));
            }
        }
        Category(recorded.category, folderName).articles.push_back(std::move(article));
    }

    void AddUnrecorded() {
        std::vector<std::pair<const DiskFolder*, const DiskArticle*>> left;
        QHash<QString, std::size_t> leftByTitle;
        for (const DiskFolder& folder : folders_) {
            for (const DiskArticle& article : folder.articles) {
                // Rows are numbered anew by each save: the same article, saved again under
                // another number, would be listed twice. Of its unrecorded copies, the one
                // with the most formats (then the lowest number) stands for it.
                const QString key = folder.name + QChar('/') + TitleOf(article.stem);
                if (article.claimed || savedTitles_.contains(key)) {
                    continue;
                }
                const auto seen = leftByTitle.constFind(key);
                if (seen == leftByTitle.constEnd()) {
                    leftByTitle.insert(key, left.size());
                    left.emplace_back(&folder, &article);
                } else if (Stands(article, *left[*seen].second)) {
                    left[*seen] = {&folder, &article};
                }
            }
        }
        std::stable_sort(left.begin(), left.end(), [](const auto& a, const auto& b) {
            return a.second->row < b.second->row;
        });
        for (const auto& [folder, disk] : left) {
            ReadingArticle article;
            article.row = disk->row;
            article.title = DecodeEntities(TitleOf(disk->stem));
            SetFiles(article, *folder, *disk);
            FolderCategory(folder->name).articles.push_back(std::move(article));
        }
    }

private:
    static int Formats(const DiskArticle& article) {
        return (article.html ? 1 : 0) + (article.txt ? 1 : 0) + (article.doc ? 1 : 0);
    }

    // Whether the copy stands for its article rather than the one chosen so far.
    static bool Stands(const DiskArticle& copy, const DiskArticle& chosen) {
        return Formats(copy) > Formats(chosen) ||
               (Formats(copy) == Formats(chosen) && copy.row < chosen.row);
    }

    static void SetFiles(ReadingArticle& article, const DiskFolder& folder,
                         const DiskArticle& disk) {
        const QString base = folder.name + QChar('/') + disk.stem;
        article.html = disk.html ? base + kHtml : QString();
        article.txt = disk.txt ? base + kTxt : QString();
        article.doc = disk.doc ? base + kDoc : QString();
    }

    // The category of that name, made when new; the first one kept in a folder also takes
    // the files there that the record does not name.
    ReadingCategory& Category(const QString& name, const QString& folderName) {
        auto at = byName_.find(name);
        if (at == byName_.end()) {
            at = byName_.emplace(name, categories_.size()).first;
            categories_.push_back({name, {}});
        }
        if (!byFolder_.contains(folderName)) {
            byFolder_.insert(folderName, at->second);
        }
        return categories_[at->second];
    }

    ReadingCategory& FolderCategory(const QString& folderName) {
        const auto at = byFolder_.constFind(folderName);
        return at != byFolder_.constEnd() ? categories_[*at] : Category(folderName, folderName);
    }

    std::vector<DiskFolder>& folders_;
    std::vector<ReadingCategory>& categories_;
    QHash<QString, std::size_t> folderIndex_;
    std::map<QString, std::size_t> byName_;
    QHash<QString, std::size_t> byFolder_;
    QSet<QString> savedTitles_;  // "folder/title" of the recorded rows found on disk
};

void GatherSongs(SpaceContents& contents, const DiskFolder* songFolder,
                 const std::optional<SaveRecord>& record) {
    QStringList files = songFolder ? songFolder->otherFiles : QStringList();
    files.sort();
    if (record && record->songs) {
        for (const RecordedSong& recorded : record->songs->rows) {
            ReadingSong song{
                recorded.address, recorded.from, {}, Known(recorded.outcome), recorded.title};
            const QString name = recorded.file.section(QChar('/'), -1);
            if (files.removeOne(name)) {
                song.file = kSongFolderName + QChar('/') + name;
            }
            contents.songs.push_back(std::move(song));
        }
    }
    for (const QString& name : files) {
        contents.songs.push_back({{}, {}, kSongFolderName + QChar('/') + name, {}, {}});
    }
}

ReadingFile FilePart(const QString& name, const std::vector<platform::FolderEntry>& entries,
                     const std::optional<SaveRecord>& record) {
    ReadingFile part{name, false, {}, {}};
    for (const platform::FolderEntry& entry : entries) {
        if (!entry.isFolder && !entry.isLink && entry.name == name) {
            part.present = true;
            part.savedAt = TimeOf(entry.modifiedMs);
        }
    }
    if (record) {
        const auto found = record->files.find(name);
        if (found != record->files.end()) {
            part.lastSave = found->second;
            part.savedAt = found->second.savedAt;
        }
    }
    return part;
}

}  // namespace

SpaceContents GatherSpace(const QString& spaceFolder, const QString& address,
                          const std::optional<SaveRecord>& record) {
    SpaceContents contents;
    contents.address = address;
    contents.recorded = record.has_value();
    const std::vector<platform::FolderEntry> entries = platform::ListFolder(spaceFolder);
    std::vector<DiskFolder> folders;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.isLink && !entry.name.contains(kOwnMark)) {
            contents.links << entry.name;
        } else if (entry.isFolder && !entry.name.contains(kOwnMark)) {
            folders.push_back(ReadFolder(spaceFolder, entry.name, contents.links));
        }
    }
    qint64 newestArticleMs = 0;
    const DiskFolder* songFolder = nullptr;
    for (const DiskFolder& folder : folders) {
        newestArticleMs = std::max(newestArticleMs, folder.newestArticleMs);
        if (folder.name == kSongFolderName) {
            songFolder = &folder;
        }
    }
    CategoryBuilder categories(folders, contents.categories);
    if (record && record->articles) {
        for (const RecordedArticle& article : record->articles->rows) {
            categories.AddRecorded(article);
        }
        contents.articlesSavedAt = record->articles->savedAt;
        contents.unreadCataloguePages = record->articles->unreadPages;
    } else {
        contents.articlesSavedAt = TimeOf(newestArticleMs);
    }
    categories.AddUnrecorded();
    GatherSongs(contents, songFolder, record);
    contents.songsSavedAt = record && record->songs
                                ? record->songs->savedAt
                                : TimeOf(songFolder ? songFolder->newestOtherMs : 0);
    contents.css = FilePart(kCssFileName, entries, record);
    contents.board = FilePart(kBoardFileName, entries, record);
    contents.comments = FilePart(kCommentFileName, entries, record);
    contents.commentNotes = record ? record->comments : std::nullopt;
    return contents;
}
