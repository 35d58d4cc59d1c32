#pragma once

#include <QHash>
#include <QString>
#include <vector>

#include "export/XhtmlBody.h"
#include "space/SavedSpace.h"

// What an EPUB book of a saved space holds and in which order (ExportEpub writes it): the
// title page, the table of contents, the articles by category then date, the comments that
// name no saved article, the board. Paths are inside the book's content folder.

struct BookArticle {
    const SavedArticle* article = nullptr;
    QString file;  // "text/a00001.xhtml"
    QString id;    // its id in the package
};

// The articles of one category, by date: a run of the book's articles.
struct BookCategory {
    QString name;
    std::size_t first = 0;
    std::size_t count = 0;
};

// A picture an article shows, carried into the book from its saved file.
struct BookPicture {
    QString saved;  // its file, relative to the space folder
    QString file;   // "images/p00001.jpg"
    QString id;
    QString mediaType;
};

struct BookPlan {
    std::vector<BookCategory> categories;  // in the order the catalogue first lists them
    std::vector<BookArticle> articles;     // category by category, each by date
    std::vector<BookPicture> pictures;
    QHash<QString, qsizetype> pictureOf;  // by the address the save record names
};

// The plan of the book: the articles grouped by category, each category's by date (those of
// no date last, the catalogue's order kept among equals), and every picture an article shows
// in place (kBookPictures) whose file was saved in a kind a book may hold (JPEG, PNG, GIF),
// each once. Reads every article's body.
BookPlan PlanBook(const QString& spaceFolder, const SavedSpace& space);

// Which picture a thumbnail shows in the book: the full one behind it when it was saved.
inline constexpr PictureChoice kBookPictures = PictureChoice::FullWhenLinked;

// The link from a document in "text/" to a picture of the book, or the empty text when the
// book holds no copy of the picture of that address.
QString BookPictureLink(const BookPlan& plan, const QString& address);

// The book's documents and files, each whole.
QString BookContainer();
QString BookStyle();
QString BookPackage(const SavedSpace& space, const BookPlan& plan);
QString BookTitlePage(const SavedSpace& space, const BookPlan& plan);
QString BookContents(const SavedSpace& space, const BookPlan& plan);
QString BookArticlePage(const BookArticle& article, const QString& bodyXhtml);
QString BookOtherComments(const SavedSpace& space);
QString BookBoard(const SavedSpace& space);
