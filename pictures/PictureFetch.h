#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/moddelay.h"
#include "space/SaveRecord.h"

namespace platform {
class EventPump;
}

// How a picture fetch went, and each picture for the save record.
struct PictureOutcome {
    int saved = 0;
    int failed = 0;
    int skipped = 0;            // left out as saved before
    bool albumPartial = false;  // the index of the space's photos could not be read whole
    std::vector<RecordedPicture> pictures;  // moved into the save record once noted

    // Whether every picture asked for was saved and the photos were all listed.
    bool AllSaved() const { return failed == 0 && !albumPartial; }

    // The closing status's note on the pictures, "图片已保存 S 张" with the pictures that
    // failed, were skipped and the unread photo index after it; empty when there was no
    // picture to fetch.
    QString StatusNote() const;
};

// What a picture fetch needs of the save it follows.
struct PictureSetting {
    QString spaceFolder;
    QString spaceAddress;
    WaitText wait;  // the catalogue's wait between pictures, read afresh each time
    bool skipSaved = false;
    std::function<void(const QString&)> showStatus;
};

// Fetches the pictures the saved articles show and, through the archive's index, the space's
// photos that no article shows (ListSpacePhotos), each address once, into the picture folder
// (kPictureFolderName) of the space folder under its own name (PictureFileStem and the
// extension of its kind), one at a time with the wait between them, showing which one comes.
// A picture that cannot be fetched, is no picture or cannot be written is counted as failed
// and leaves any earlier copy; with skipSaved, a picture whose file is there is neither
// requested nor waited for. Throws platform::RunStopped when the pump asks the run to stop; the
// picture under way then leaves no file.
PictureOutcome FetchPictures(const QStringList& articlePictures, const PictureSetting& setting,
                             platform::EventPump& pump);
