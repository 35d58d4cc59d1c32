#include "music/Playlist.h"

#include "app/SpaceAddress.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "app/modgetdata.h"
#include "music/MusicWindowControls.h"
#include "platform/ReportList.h"

namespace {

const QString kScheme = QStringLiteral("http://");
// Every playlist the service made holds this; an error page does not.
const QString kPlaylistMark = QStringLiteral("Version=");
// The address of one entry: <ref href="ADDRESS" />.
const QString kSongStart = QStringLiteral("href=\"");
const QString kSongEnd = QStringLiteral("\" />");
// After dropping the front up to the "h" of kSongStart, the address listed last starts here.
constexpr int kListedAddressPosition = 6;

// Whether the walk goes on to the entry after the one just listed: not when the cut finds the
// listed address again (no further entry, or the same address repeated), and not when
// nothing further could be listed at all, which would otherwise repeat for ever.
bool AnotherEntryFollows(const QString& playlist) {
    const QString next = CutBetween(playlist, kSongStart, kSongEnd);
    if (next.isEmpty() || PositionOf(playlist, kSongStart) == 0) {
        return false;
    }
    return PositionOf(playlist, next) != kListedAddressPosition;
}

void ListSongs(MusicWindowControls& controls, QString playlist) {
    platform::ReportList& songs = controls.Songs();
    do {
        songs.AddRow(QString::number(songs.RowCount() + 1));
        songs.SetCell(songs.RowCount(), 1, CutBetween(playlist, kSongStart, kSongEnd));
        playlist = DropFront(playlist, PositionOf(playlist, kSongStart));
        Delay(1, QStringLiteral("100"), controls.Pump());
    } while (AnotherEntryFollows(playlist));
}

}  // namespace

void RunPlaylistRetrieval(MusicWindowControls& controls) {
    controls.Songs().Clear();
    controls.SetDownloadEnabled(false);
    if (!controls.Address().contains(kScheme)) {
        controls.SetAddress(kScheme + controls.Address());
    }
    const QString address = controls.Address();
    if (IsUsableAddress(address)) {
        const QString playlist = GetPageOrEmpty(address + QStringLiteral("/music/music.pls"));
        if (playlist.contains(kPlaylistMark)) {
            ListSongs(controls, playlist);
        }
    }
    controls.SetSongStatus(QStringLiteral("共 ") + QString::number(controls.Songs().RowCount()) +
                           QStringLiteral(" 歌曲"));
    controls.SetDownloadEnabled(true);
}
