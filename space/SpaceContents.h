#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "space/SaveRecord.h"
#include "space/SavedSpace.h"

// What the saves say of a row; files alone say nothing.
enum class KnownOutcome { Unrecorded, Saved, Failed, Skipped };

// One saved (or failed) article as the reading copy shows it. Paths are relative to the
// space folder and empty when that file is not there.
struct ReadingArticle {
    int row = 0;
    QString title;  // as listed, references decoded; the writer of the copy puts in its
                    // stead the title of the saved page, which the list cleaned for file names
    QString date;
    QString address;
    QString from;
    QString html;
    QString txt;
    QString doc;
    QString page;  // its reading page in the reading folder; empty when nothing was saved
    KnownOutcome outcome = KnownOutcome::Unrecorded;
    std::vector<SavedComment> comments;  // shown under it; the writer of the copy puts them
};

// A category folder with its articles, in the catalogue's order.
struct ReadingCategory {
    QString name;
    std::vector<ReadingArticle> articles;
};

// A song: its address when known, its file when it is there.
struct ReadingSong {
    QString address;
    QString from;
    QString file;
    KnownOutcome outcome = KnownOutcome::Unrecorded;
    QString title;  // as the playlist named it; empty when unknown
};

// A part kept as one file in the space folder (the CSS template, the board or comment page).
struct ReadingFile {
    QString name;
    bool present = false;
    QDateTime savedAt;  // invalid when never saved
    std::optional<RecordedFileSave> lastSave;
};

// Everything the reading copy is built from: the files of the space folder, with what the
// save record adds (dates, addresses, rows that failed) where there is one.
struct SpaceContents {
    QString address;
    bool recorded = false;
    std::vector<ReadingCategory> categories;
    QDateTime articlesSavedAt;
    int unreadCataloguePages = 0;  // of the catalogue the last article save saved
    std::vector<ReadingSong> songs;
    QDateTime songsSavedAt;
    ReadingFile css;
    ReadingFile board;
    ReadingFile comments;
    // What the record notes of the comment page's records; nothing without a record or for a
    // page saved by an earlier version.
    std::optional<RecordedComments> commentNotes;
    QStringList links;  // symbolic links in the space folder and its folders, not followed
};

// The folder the songs are saved in, beneath the space folder.
extern const QString kSongFolderName;

// Reads the space folder's listing and the record. Category folders are those holding
// article files ("<row> <title>.html", ".txt", ".html.doc"); the record's rows come first in
// its order, then the files it does not name by row number, less those that carry the
// category and title of a recorded row with a file of its own (the same article under the
// number an earlier save gave it). Folders that no save makes (the reading copy, passing
// names) are left out, and so are symbolic links, which no save makes: a link in place of a
// folder or a file would bring another folder's files or any file on the disk into the copy.
SpaceContents GatherSpace(const QString& spaceFolder, const QString& address,
                          const std::optional<SaveRecord>& record);
