#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

// What became of one row of a save.
enum class RowOutcome { Saved, Failed, Skipped };

// One article row of the last article save.
struct RecordedArticle {
    int row = 0;
    QString title;
    QString category;
    QString date;
    QString address;
    QString from;       // the archived address it was requested at; empty without a prefix
    QStringList files;  // relative to the space folder
    RowOutcome outcome = RowOutcome::Saved;
};

// One song of the last download.
struct RecordedSong {
    QString address;
    QString from;
    QString file;  // relative to the space folder
    RowOutcome outcome = RowOutcome::Saved;
    QString title;  // as the playlist named the song; empty when it named none
};

// One picture fetched after an article save: one a saved article shows, or one of the space's
// photos that the archive's index lists, or both.
struct RecordedPicture {
    QString address;
    QString from;      // the archived address it was requested at; empty without a prefix
    QString file;      // relative to the space folder; empty when no copy of it is there
    QString captured;  // the capture time the index gave (YYYYMMDDhhmmss); empty when unknown
    bool inArticles = false;  // a saved article shows it
    bool inAlbum = false;     // the index lists it among the space's photos
    RowOutcome outcome = RowOutcome::Saved;
};

// The pictures of the article saves: those of the last one, and those of earlier ones that it
// did not ask for again, each address once.
struct RecordedPictures {
    QDateTime savedAt;
    QString replay;
    std::vector<RecordedPicture> rows;
};

// The last article save: when, in which format, through which replay prefix, and its rows.
struct RecordedArticleSave {
    QDateTime savedAt;
    QString format;
    QString replay;
    std::vector<RecordedArticle> rows;
    int unreadPages = 0;  // of the catalogue it saved: any may have hidden articles from the list
};

// The last song download.
struct RecordedSongDownload {
    QDateTime savedAt;
    QString replay;
    std::vector<RecordedSong> rows;
};

// The last save of a part kept as one file (the CSS template, the board and comment pages).
struct RecordedFileSave {
    QDateTime savedAt;
    bool saved = false;
    int records = -1;  // the records written; -1 for a file without records
    int unreadPages = 0;
};

// What a record of the saved comment page names that its lines do not hold.
struct RecordedComment {
    int record = 0;   // its number in the page ("N0." + number)
    QString article;  // the address of the article commented on; empty when unknown
    QString date;     // the comment's date as the search showed it; empty when unknown
};

// The comments of the comment page as it was last saved: only those that name something.
struct RecordedComments {
    QDateTime savedAt;
    std::vector<RecordedComment> rows;
};

// The save record Pagewren keeps in the space folder: the last run of each part.
struct SaveRecord {
    QString address;
    std::optional<RecordedArticleSave> articles;
    std::optional<RecordedSongDownload> songs;
    std::optional<RecordedPictures> pictures;
    std::optional<RecordedComments> comments;   // of the comment page "文章评论.htm"
    std::map<QString, RecordedFileSave> files;  // by file name
};

// Whether a record is read with its article rows or without them (to be replaced).
enum class RecordArticles { Read, Skip };

// The record kept in the space folder, or nothing when there is none or it cannot be read
// (a space saved by an earlier version, a damaged file).
std::optional<SaveRecord> LoadSaveRecord(const QString& spaceFolder,
                                         RecordArticles articles = RecordArticles::Read);

// Writes the record into the space folder, replacing the earlier one whole. Returns false
// when it could not be written.
bool StoreSaveRecord(const QString& spaceFolder, const SaveRecord& record);
