#pragma once

#include <QString>
#include <vector>

// One photo of the space as the album page shows it.
struct AlbumPhoto {
    QString address;
    QString captured;  // the capture time the index gave (YYYYMMDDhhmmss); empty when unknown
    QString link;      // the link to its copy from the reading folder, or empty when none
};

// The album page of the reading folder, "相册": the space's photos by capture time, oldest
// first and those of no readable time last, under a heading for each day; each shown from its
// copy and linked to it, or, without one, as "[图片]" linked to its address (marked as leaving
// the copy) with the note "（未保存）"; its capture time and address beside it, escaped. A link
// back to the start page.
QString AlbumPage(const std::vector<AlbumPhoto>& photos, const QString& spaceName,
                  const QString& styleSheet);
