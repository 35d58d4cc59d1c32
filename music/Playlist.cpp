#include "music/Playlist.h"

#include "app/PlaylistRows.h"
#include "app/SpaceAddress.h"
#include "app/modgetdata.h"
#include "music/MusicWindowControls.h"
#include "platform/ReportList.h"

namespace {

const QString kScheme = QStringLiteral("http://");
// Every playlist the service made holds this; an error page does not.
const QString kPlaylistMark = QStringLiteral("Version=");

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
            ListPlaylist(playlist, controls.Songs(), controls.Pump());
        }
    }
    controls.SetSongStatus(QStringLiteral("共 ") + QString::number(controls.Songs().RowCount()) +
                           QStringLiteral(" 歌曲"));
    controls.SetDownloadEnabled(true);
}
