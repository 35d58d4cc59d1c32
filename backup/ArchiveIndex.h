#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Takes "--cdx URL" and "--no-index" out of the arguments (PAGEWREN_CDX in the environment
// names the endpoint too; the option wins). Returns false, with the reason in error when
// given, when --cdx has no value or the endpoint is no http:// or https:// address.
bool TakeArchiveIndexOptions(QStringList& arguments, QString* error = nullptr);

// The capture index (CDX server) of the archive behind the replay prefix: the one named with
// --cdx, or else the one of a known layout, "http://HOST/web/TIME/" (the Internet Archive's
// Wayback Machine, spacesim's archive face) giving "http://HOST/cdx/search/cdx" and
// "http://HOST/COLLECTION/TIME/" (pywb) giving "http://HOST/COLLECTION/cdx". Nothing without
// a prefix (the service itself had no index), with --no-index, or for another layout.
std::optional<QString> ArchiveIndexEndpoint();

// The ids of the article pages ("/NAME/blog/item/ID.html") that the index holds a capture of
// with success, each once, in index order.
struct IndexedArticles {
    QStringList ids;
    bool failed = false;  // an index page could not be read or understood: the list is partial
};

// One capture an index lists: the address captured, as it went out, and when (YYYYMMDDhhmmss;
// empty when the index did not say).
struct IndexedCapture {
    QString original;
    QString time;
};

// Takes one capture; false to stop the reading (the list is then partial).
using CaptureTaker = std::function<bool(const IndexedCapture&)>;

// Asks the index at the endpoint for the captures with success of the addresses beginning with
// the prefix ("hi.baidu.com/NAME/blog/item/"), a page of at most 1000 at a time and 200 pages
// at most, calling wait before each request after the first, and hands each over in index
// order. Returns false when a page could not be read or understood, or take stopped it.
bool ListIndexedCaptures(const QString& endpoint, const QString& addressPrefix,
                         const CaptureTaker& take, const std::function<void()>& wait);

// Whether the index may be asked at all: not with --no-index.
bool IndexEnabled();

// Asks the index at the endpoint, a page of at most 1000 captures at a time and 200 pages at
// most (the list is then partial), for the article pages of the space, calling wait before
// each request after the first. Index requests go to
// the endpoint itself, not through the replay prefix.
IndexedArticles ListIndexedArticles(const QString& endpoint, const QString& spaceName,
                                    const std::function<void()>& wait);

// The article pages of the space that the archive behind the replay prefix holds: from the
// WARC files' own index when replaying from files, else from the capture index
// (ArchiveIndexEndpoint). Nothing when there is no index to ask.
std::optional<IndexedArticles> ListArchivedArticles(const QString& spaceName,
                                                    const std::function<void()>& wait);
