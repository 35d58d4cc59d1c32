#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "space/SaveRecord.h"

// A saved space as the exports read it: what the files of the space folder and its save record
// hold, with the comments put under their articles. Article bodies stay on the disk until
// asked for (ReadArticleBody), so that a space of any size is read in little memory.

// A picture an article shows, or one of the space's photos.
struct SavedPicture {
    QString address;   // as the page wrote it
    QString file;      // relative to the space folder; empty when no copy was saved
    QString captured;  // YYYYMMDDhhmmss as the archive's index gave it; empty when unknown
};

// A comment on an article, as the comment search listed it; cells as cut from the page,
// markup included.
struct SavedComment {
    int number = 0;  // its record number in the saved comment page
    QString articleTitle;
    QString articleAddress;  // empty when the search did not name the article
    QString date;            // as the search showed it; empty when unknown
    QString text;
    QString commenter;
};

// A message of the board; cells as cut from the page, markup included.
struct SavedMessage {
    int number = 0;
    QString serial;
    QString author;
    QString date;
    QString text;
};

// A saved article. Paths are relative to the space folder and empty when that file is not
// there.
struct SavedArticle {
    int row = 0;
    QString title;  // as the saved page showed it, references decoded
    QString category;
    QString date;     // as the page showed it: "YYYY-MM-DD hh:mm", the service's local time
    QString address;  // its original address
    QString html;
    QString txt;
    std::vector<SavedComment> comments;  // in the comment page's order
};

// A downloaded song.
struct SavedSong {
    QString address;
    QString title;  // as the playlist named it; empty when unknown
    QString file;
};

struct SavedSpace {
    QString name;     // the space's name, as its folder is named
    QString address;  // the space's address
    QDateTime savedAt;
    std::vector<SavedArticle> articles;  // in the catalogue's order, category by category
    std::vector<SavedSong> songs;
    std::vector<SavedPicture> pictures;      // every picture the record notes, each address once
    QHash<QString, qsizetype> pictureIndex;  // of `pictures` by address, as LoadSavedSpace reads it
    QString css;                             // the space's CSS template as saved; empty when none
    std::vector<SavedMessage> board;
    std::vector<SavedComment> otherComments;  // comments that name no saved article
};

// Reads the space saved in the folder (ending in a separator). Nothing, with the reason in
// `why`, when the folder holds no save record or the record cannot be read.
std::optional<SavedSpace> LoadSavedSpace(const QString& spaceFolder, QString* why);

// An article's body as the page showed it: the markup its saved ".html" fragment holds in the
// article's text box (without the title and date boxes before it), the whole fragment when it
// has no such box, or the text of its ".txt" escaped as paragraphs when only that was saved or
// the fragment is empty. Empty when neither can be read.
QString ReadArticleBody(const QString& spaceFolder, const SavedArticle& article);

// The pictures that the markup shows (`<img>` and the full picture a thumbnail links), as
// PicturesInBody finds them with relative addresses read against `base` (the article's
// address; the space's when empty), each once, in the order the markup shows them: those the
// record notes as it notes them (with their file when a copy is there), the others with their
// address alone.
std::vector<SavedPicture> PicturesShown(const SavedSpace& space, const QString& markup,
                                        const QString& base = {});

// The service's time zone, China Standard Time: UTC+8 all year.
inline constexpr int kServiceUtcOffsetSeconds = 8 * 3600;

// The moment of a date as the service wrote it ("YYYY-MM-DD hh:mm" in its time zone, UTC+8);
// an invalid date when the text is no such date.
QDateTime ServiceDateTime(const QString& date);
