#include "app/PlaylistWalk.h"

namespace {

// The address of one entry: <ref href="ADDRESS" />.
const QString kSongStart = QStringLiteral("href=\"");
const QString kSongEnd = QStringLiteral("\" />");
// After dropping the front up to the "h" of kSongStart, the address taken last starts here.
constexpr int kTakenAddressPosition = 6;

}  // namespace

QString PlaylistWalk::Next() {
    const QString address = FrontAddress();
    playlist_.DropFront(playlist_.PositionOf(kSongStart));
    return address;
}

bool PlaylistWalk::AnotherEntryFollows() const {
    // Without a further entry the cut would find the address just taken, or an empty text
    // that it would find again and again.
    if (!playlist_.Contains(kSongStart)) {
        return false;
    }
    // An entry without an address is an entry all the same; the songs after it are listed.
    const QString next = FrontAddress();
    return next.isEmpty() || !playlist_.FirstFoundAt(next, kTakenAddressPosition);
}

QString PlaylistWalk::FrontAddress() const {
    // An address never runs into the entry after it, however far away its end marker is.
    const int entry = playlist_.PositionOf(kSongStart);
    const int nextEntry = entry > 0 ? playlist_.PositionOf(kSongStart, entry + 1) : 0;
    return playlist_.Cut(kSongStart, kSongEnd, nextEntry);
}
