#include "music/Playlist.h"

#include <optional>

#include "app/PageFetcher.h"
#include "app/PlaylistFetch.h"
#include "app/PlaylistRows.h"
#include "app/SpaceAddress.h"
#include "music/MusicWindowControls.h"
#include "platform/ReportList.h"

namespace {

const QString kScheme = QStringLiteral("http://");
// Every playlist the service made holds this; an error page does not.
const QString kPlaylistMark = QStringLiteral("Version=");

}  // namespace

bool RunPlaylistRetrieval(MusicWindowControls& controls) {
    controls.Songs().Clear();
    controls.SetDownloadEnabled(false);
    if (!controls.Address().contains(kScheme)) {
        controls.SetAddress(kScheme + controls.Address());
    }
    const QString address = controls.Address();
    PageFetcher pages;
    if (IsUsableAddress(address)) {
        const std::optional<QString> playlist = FetchPlaylist(address);
        pages.CountUnread(!playlist);
        if (playlist && playlist->contains(kPlaylistMark)) {
            ListPlaylist(*playlist, controls.Songs(), controls.Pump());
        }
    }
    // An unread playlist must not pass for a space without songs.
    controls.SetSongStatus(QStringLiteral("共 ") + QString::number(controls.Songs().RowCount()) +
                           QStringLiteral(" 歌曲") + pages.FailureNote());
    controls.SetDownloadEnabled(true);
    return pages.FailedCount() == 0;
}
