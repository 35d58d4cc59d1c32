#include "reading/LocalPictures.h"

#include "platform/FileSystem.h"
#include "space/PictureNames.h"
#include "space/SaveRecord.h"

namespace {

// The link to a noted file when it is a picture the picture folder holds; empty otherwise, so
// that a record that names another file (written by hand, or damaged) shows nothing else.
QString LinkToFile(const QString& spaceFolder, const QString& file) {
    const QString folder = kPictureFolderName + QChar('/');
    if (!file.startsWith(folder)) {
        return {};
    }
    const QString link = LocalPictureLink(file.mid(folder.size()));
    return !link.isEmpty() && platform::IsNonEmptyFile(spaceFolder + file, spaceFolder) ? link
                                                                                        : QString();
}

}  // namespace

LocalPictures::LocalPictures(const QString& spaceFolder,
                             const std::optional<RecordedPictures>& pictures) {
    if (!pictures) {
        return;
    }
    savedAt_ = pictures->savedAt;
    for (const RecordedPicture& picture : pictures->rows) {
        const QString link =
            picture.file.isEmpty() ? QString() : LinkToFile(spaceFolder, picture.file);
        if (const QString address = CleanedWebAddress(picture.address);
            !link.isEmpty() && !address.isEmpty()) {
            links_.insert(address, link);
        } else {
            ++unsaved_;
        }
        if (picture.inAlbum) {
            album_.push_back({picture.address, picture.captured, link});
        }
    }
}

QString LocalPictures::LinkTo(const QString& address) const {
    return links_.value(address);
}

PictureLookup LocalPictures::Lookup() const {
    return [this](const QString& address) { return LinkTo(address); };
}
