#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

struct SpaceContents;

// What the start page needs beyond the space's contents: where the reading pages are, and
// the records found in the board and comment pages (-1 for a page that is not there).
struct StartPageParts {
    QString readingFolder;  // the link to the reading folder, percent-encoded
    QString styleSheet;     // the space's CSS in the reading folder, or empty
    int boardRecords = -1;
    int commentRecords = -1;
    int albumPhotos = 0;        // the photos on the album page, which is written only when some are
    int savedPictures = 0;      // the pictures the record notes with a copy in the picture folder
    int unsavedPictures = 0;    // the pictures the record notes that have no copy
    QDateTime picturesSavedAt;  // invalid when pictures were never fetched
};

// The start page of the reading copy, in the space folder: the address and when each part
// was last saved; what the last runs could not fetch or save, plainly marked; the categories
// in the catalogue's order with their articles (title, date, reading page, saved files);
// the songs, playable where downloaded; the album page with its count of photos; the board and
// comment pages with their counts.
// Every text cut from a page is escaped. The page is handed to `write` piece by piece.
using PageWriter = std::function<void(const QString& piece)>;
void WriteStartPage(const SpaceContents& contents, const StartPageParts& parts,
                    const PageWriter& write);
