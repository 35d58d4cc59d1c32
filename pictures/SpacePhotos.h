#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One photo of the space that an archive holds a capture of.
struct SpacePhoto {
    QString address;
    QString captured;  // the capture time the index gave (YYYYMMDDhhmmss); empty when unknown
};

// The photos an index lists; failed when some of it could not be read (the list is partial).
struct SpacePhotos {
    std::vector<SpacePhoto> photos;
    bool failed = false;
};

// The forms the name of the space at the address took in its picture addresses: the piece
// of the address after the service root (its escapes read as code page 936), percent-encoded
// from code page 936 in upper- and in lower-case hex, "_" as "%5F" and as it stands, each once.
// Empty for an address that names no space of the service.
QStringList PhotoNameForms(const QString& spaceAddress);

// Every photo of the space at the address that the archive behind the replay prefix holds a capture
// with success of, whether an article shows it or not: the addresses beginning
// "hiphotos.baidu.com/NAME/pic/item/" (NAME in each of its PhotoNameForms), each once, from the
// WARC files' own index when replaying from files, else from the capture index
// (ArchiveIndexEndpoint), calling wait before each index request. Nothing without an index to
// ask (no replay prefix, --no-index, an archive of unknown layout).
std::optional<SpacePhotos> ListSpacePhotos(const QString& spaceAddress,
                                           const std::function<void()>& wait);
