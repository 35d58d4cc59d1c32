#include "app/PlaylistWalk.h"

namespace {

// The address of one entry: <ref href="ADDRESS" />.
const QString kSongStart = QStringLiteral("href=\"");
const QString kSongEnd = QStringLiteral("\" />");

}  // namespace

QString PlaylistWalk::Next() {
    const QString address = FrontAddress();
    playlist_.DropFront(playlist_.PositionOf(kSongStart));
    return address;
}

bool PlaylistWalk::AnotherEntryFollows() const {
    // Every entry is listed: one without an address, and one whose address repeats (or begins)
    // the address just taken, which the cut would find again where that address stands.
    return playlist_.Contains(kSongStart);
}

QString PlaylistWalk::FrontTitle() const {
    // The title stands between the entry before (dropped up to its address) and the address:
    // <entry><title>TITLE</title><ref href="ADDRESS" /></entry>
    const QString start = QStringLiteral("<title>");
    const int entry = playlist_.PositionOf(kSongStart);
    const int title = playlist_.PositionOf(start);
    if (title == 0 || title >= entry) {
        return {};
    }
    return playlist_.Cut(start, QStringLiteral("</title>"), entry);
}

QString PlaylistWalk::FrontAddress() const {
    // An address never runs into the entry after it, however far away its end marker is.
    const int entry = playlist_.PositionOf(kSongStart);
    const int nextEntry = entry > 0 ? playlist_.PositionOf(kSongStart, entry + 1) : 0;
    return playlist_.Cut(kSongStart, kSongEnd, nextEntry);
}
