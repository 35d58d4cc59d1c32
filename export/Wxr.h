#pragma once

#include <QString>
#include <vector>

#include "space/SavedSpace.h"

// The pieces of a WordPress eXtended RSS 1.2 file, which ExportWxr writes one after another.
// Every text stands in CDATA sections or escaped; what WordPress shows as HTML (titles,
// contents, comments) is HTML, so that "<" in a title shows as "<".

// The local time and the UTC time of a date as the service wrote it ("YYYY-MM-DD hh:mm" in
// its time zone) as WordPress writes them ("YYYY-MM-DD hh:mm:ss"); both "0000-00-00
// 00:00:00", WordPress's own "no date", when the text is no such date.
struct WxrDates {
    QString local;
    QString gmt;
};
WxrDates WxrDatesOf(const QString& serviceDate);

// A category of the posts and the slug ("nicename") WordPress files it under.
struct WxrCategory {
    QString name;
    QString slug;
};

// The categories of the space's articles in their order, each once, with slugs as WordPress
// makes them (blanks as "-", lower case, percent-encoded UTF-8), none the same.
std::vector<WxrCategory> WxrCategories(const SavedSpace& space);

// The file up to its first item: the space as a site, its owner as the author of every post,
// its categories.
QString WxrHead(const SavedSpace& space, const std::vector<WxrCategory>& categories);

// The end of the file.
QString WxrTail();

// A post or page of the file and the comments under it.
struct WxrPost {
    int id = 0;
    QString type;     // "post" or "page"
    QString title;    // as plain text
    QString address;  // its original address; empty for a page of the export's own
    QString date;     // as the service wrote it
    QString slug;
    QString category;  // a post's; empty for a page
    QString categorySlug;
    QString content;  // HTML
};

// One comment of a post: the text HTML, the name and date as plain text.
struct WxrComment {
    int id = 0;
    QString author;
    QString date;  // as the service wrote it
    QString content;
};

// The item of a post or a page, with its comments.
QString WxrPostItem(const SavedSpace& space, const WxrPost& post,
                    const std::vector<WxrComment>& comments);

// The item of a picture as an attachment of the post that shows it first (parent 0 for
// none), at its original address.
QString WxrAttachmentItem(const SavedSpace& space, int id, int parent, const QString& date,
                          const QString& address);
