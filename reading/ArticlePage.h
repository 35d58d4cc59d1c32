#pragma once

#include <QString>

#include "reading/BodyCleaner.h"

#include "space/SavedFiles.h"

struct ReadingArticle;

// A link from one reading page to another; an empty href means there is none.
struct PageLink {
    QString href;
    QString caption;
};

// What an article's reading page shows besides the article's own cells.
struct ArticlePageParts {
    QString spaceName;
    QString category;
    QString savedMarkup;    // the ".html" fragment, when the article has one that could be read
    SavedText savedText;    // the ".txt" lines, used when there is no fragment
    bool readable = false;  // false when no saved file could be read
    PageLink previous;
    PageLink next;
    QString styleSheet;      // the space's CSS in the reading folder, or empty
    PictureLookup pictures;  // the copies of the saved pictures; none when empty
};

// The article's reading page, in its own folder beside the start page's: the saved fragment
// as markup inside the frame the service's page gave it (so that the space's CSS finds its
// places), its pictures shown from their copies, or the text file's content as text, each
// "图片地址：" line followed by its picture when there is a copy; title, date, category and
// addresses escaped;
// links to the previous and next article, the saved files and the start page.
QString ArticlePage(const ReadingArticle& article, const ArticlePageParts& parts);
