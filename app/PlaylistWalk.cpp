#include "app/PlaylistWalk.h"

namespace {

// The address of one entry: <ref href="ADDRESS" />.
const QString kSongStart = QStringLiteral("href=\"");
const QString kSongEnd = QStringLiteral("\" />");
// After dropping the front up to the "h" of kSongStart, the address taken last starts here.
constexpr int kTakenAddressPosition = 6;

}  // namespace

QString PlaylistWalk::Next() {
    QString address = playlist_.Cut(kSongStart, kSongEnd);
    playlist_.DropFront(playlist_.PositionOf(kSongStart));
    return address;
}

bool PlaylistWalk::AnotherEntryFollows() const {
    const QString next = playlist_.Cut(kSongStart, kSongEnd);
    if (next.isEmpty() || !playlist_.Contains(kSongStart)) {
        return false;
    }
    return playlist_.PositionOf(next) != kTakenAddressPosition;
}
