#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "reading/AlbumPage.h"
#include "reading/BodyCleaner.h"

struct RecordedPictures;

// The pictures the save record notes as the reading copy shows them: the copies in the space's
// picture folder, by web address, and the space's photos.
class LocalPictures {
public:
    // Takes each noted picture whose file lies in the picture folder of the space folder (ending
    // in a separator) and holds something, reached through no symbolic link; no picture has a
    // copy without a record.
    LocalPictures(const QString& spaceFolder, const std::optional<RecordedPictures>& pictures);

    // The link from the reading folder to the copy of the picture at the address, as
    // CleanedWebAddress names it; empty when there is none.
    QString LinkTo(const QString& address) const;

    // LinkTo as the cleaning of articles asks it; valid as long as this lives.
    PictureLookup Lookup() const;

    // The photos the record notes as the space's (those of its album), each with its link.
    const std::vector<AlbumPhoto>& Album() const { return album_; }

    // How many of the noted pictures have a copy, and how many have none: the reading copy
    // links their addresses.
    int Saved() const { return static_cast<int>(links_.size()); }
    int Unsaved() const { return unsaved_; }

    // When the pictures were last fetched; invalid when never.
    const QDateTime& SavedAt() const { return savedAt_; }

private:
    QHash<QString, QString> links_;
    std::vector<AlbumPhoto> album_;
    int unsaved_ = 0;
    QDateTime savedAt_;
};
