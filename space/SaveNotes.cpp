#include "space/SaveNotes.h"

#include <QSet>
#include <algorithm>
#include <functional>

#include "app/SafeNames.h"
#include "app/SpaceAddress.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/ReportList.h"
#include "platform/WarcReplay.h"
#include "space/ArticlePaths.h"
#include "space/SpaceContents.h"

namespace {

// Where a request for the address was answered: the archived address behind a replay prefix,
// or the WARC files and the address in them; empty without a prefix.
QString ArchivedAddress(const QString& address) {
    const std::string& prefix = platform::ReplayPrefix();
    if (platform::IsWarcPrefix(prefix)) {
        return QString::fromStdString(prefix) + QChar(' ') + address;
    }
    return QString::fromStdString(prefix) + (prefix.empty() ? QString() : address);
}

QStringList Extensions(const QString& format) {
    if (format == QLatin1String("html")) {
        return {QStringLiteral(".html")};
    }
    if (format == QLatin1String("html & doc")) {
        return {QStringLiteral(".html"), QStringLiteral(".html.doc")};
    }
    if (format == QLatin1String("txt")) {
        return {QStringLiteral(".txt")};
    }
    return {};
}

// Loads the record (without the article rows when the change replaces them), lets the change
// have it and stores it.
bool Note(const QString& appFolder, const QString& address,
          const std::function<void(SaveRecord&)>& change,
          RecordArticles articles = RecordArticles::Read) {
    const QString spaceFolder = SpaceFolderPath(appFolder, address);
    if (SpaceFolderName(address).isEmpty() || !platform::PathExists(spaceFolder)) {
        return true;
    }
    std::optional<SaveRecord> record = LoadSaveRecord(spaceFolder, articles);
    if (!record) {
        record.emplace();
    }
    // As the service wrote it: a user name and password typed into the box stay off the disk.
    record->address = SpacePageAddress(address, QString());
    change(*record);
    return StoreSaveRecord(spaceFolder, *record);
}

// A saved row whose first file is not there did not get saved after all (its write failed).
RowOutcome Checked(RowOutcome outcome, const QString& spaceFolder, const QString& firstFile) {
    if (outcome == RowOutcome::Saved && !platform::IsNonEmptyFile(spaceFolder + firstFile)) {
        return RowOutcome::Failed;
    }
    return outcome;
}

// This save's pictures, then the earlier ones it did not ask for again: their files are still
// in the picture folder.
void NotePictures(SaveRecord& record, std::vector<RecordedPicture> pictures) {
    QSet<QString> fetched;
    for (RecordedPicture& picture : pictures) {
        fetched.insert(picture.address);
        picture.from = ArchivedAddress(picture.address);
    }
    if (record.pictures) {
        for (RecordedPicture& earlier : record.pictures->rows) {
            if (!fetched.contains(earlier.address)) {
                pictures.push_back(std::move(earlier));
            }
        }
    }
    record.pictures =
        RecordedPictures{QDateTime::currentDateTime(),
                         QString::fromStdString(platform::ReplayPrefix()), std::move(pictures)};
}

}  // namespace

bool NoteArticleSave(const QString& appFolder, const QString& address, const QString& format,
                     const platform::ReportList& articles, const std::vector<RowOutcome>& outcomes,
                     int unreadCataloguePages, std::vector<RecordedPicture>* pictures) {
    const QStringList extensions = Extensions(format);
    if (extensions.isEmpty()) {
        return true;
    }
    const QString spaceFolder = SpaceFolderPath(appFolder, address);
    return Note(
        appFolder, address,
        [&](SaveRecord& record) {
            RecordedArticleSave save{QDateTime::currentDateTime(),
                                     format,
                                     QString::fromStdString(platform::ReplayPrefix()),
                                     {},
                                     unreadCataloguePages};
            for (int row = 1; row <= static_cast<int>(outcomes.size()); ++row) {
                RecordedArticle article{row,
                                        articles.Cell(row, 1),
                                        articles.Cell(row, 2),
                                        articles.Cell(row, 3),
                                        articles.Cell(row, 4),
                                        ArchivedAddress(articles.Cell(row, 4)),
                                        {},
                                        outcomes[static_cast<std::size_t>(row - 1)]};
                for (const QString& extension : extensions) {
                    article.files << SafeName(article.category) + QChar('/') +
                                         ArticleFileName(row, article.title, extension);
                }
                article.outcome = Checked(article.outcome, spaceFolder, article.files.first());
                save.rows.push_back(std::move(article));
            }
            record.articles = std::move(save);
            if (pictures != nullptr) {
                NotePictures(record, std::move(*pictures));
            }
        },
        RecordArticles::Skip);
}

bool NoteSongDownload(const QString& appFolder, const QString& address,
                      const QStringList& songAddresses, const QStringList& songTitles,
                      const QStringList& fileNames, const std::vector<RowOutcome>& outcomes) {
    const QString spaceFolder = SpaceFolderPath(appFolder, address);
    return Note(appFolder, address, [&](SaveRecord& record) {
        RecordedSongDownload download{
            QDateTime::currentDateTime(), QString::fromStdString(platform::ReplayPrefix()), {}};
        const qsizetype count = std::min<qsizetype>(
            {songAddresses.size(), fileNames.size(), static_cast<qsizetype>(outcomes.size())});
        for (qsizetype i = 0; i < count; ++i) {
            const QString file = kSongFolderName + QChar('/') + fileNames[i];
            download.rows.push_back(
                {songAddresses[i], ArchivedAddress(songAddresses[i]), file,
                 Checked(outcomes[static_cast<std::size_t>(i)], spaceFolder, file),
                 songTitles.value(i)});
        }
        record.songs = std::move(download);
    });
}

bool NoteFileSave(const QString& appFolder, const QString& address, const QString& fileName,
                  bool saved) {
    return NoteRecordFileSave(appFolder, address, fileName, saved, -1, 0);
}

bool NoteRecordFileSave(const QString& appFolder, const QString& address, const QString& fileName,
                        bool saved, int records, int unreadPages,
                        std::vector<RecordedComment>* comments) {
    return Note(appFolder, address, [&](SaveRecord& record) {
        RecordedFileSave run{QDateTime::currentDateTime(), saved, records, unreadPages};
        // A save that failed left the earlier file in place: its time and records still tell
        // what the file holds.
        if (const auto earlier = record.files.find(fileName);
            !saved && earlier != record.files.end()) {
            run.savedAt = earlier->second.savedAt;
            run.records = earlier->second.records;
        }
        record.files[fileName] = run;
        if (saved && comments != nullptr) {
            record.comments = RecordedComments{run.savedAt, std::move(*comments)};
        }
    });
}
