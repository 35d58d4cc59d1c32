#include "music/Playlist.h"

#include "app/PlaylistWalk.h"
#include "app/SpaceAddress.h"
#include "app/moddelay.h"
#include "app/modgetdata.h"
#include "music/MusicWindowControls.h"
#include "platform/ReportList.h"

namespace {

const QString kScheme = QStringLiteral("http://");
// Every playlist the service made holds this; an error page does not.
const QString kPlaylistMark = QStringLiteral("Version=");

void ListSongs(MusicWindowControls& controls, const QString& playlist) {
    platform::ReportList& songs = controls.Songs();
    PlaylistWalk walk(playlist);
    do {
        songs.SetCell(songs.AddNumberedRow(), 1, walk.Next());
        Delay(1, QStringLiteral("100"), controls.Pump());
    } while (walk.AnotherEntryFollows());
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
