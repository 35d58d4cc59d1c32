#include "music/Playlist.h"

#include <optional>

#include "app/PageFetcher.h"
#include "app/PlaylistFetch.h"
#include "app/PlaylistRows.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "music/MusicWindowControls.h"
#include "platform/ReportList.h"

bool RunPlaylistRetrieval(MusicWindowControls& controls) {
    controls.Songs().Clear();
    controls.SetDownloadEnabled(false);
    // The size and progress of the last song downloaded belong to the list just cleared.
    controls.SetProgressCaption(QString());
    controls.SetProgressValue(0);
    if (const QString complete = WithWebScheme(controls.Address());
        complete != controls.Address()) {
        controls.SetAddress(complete);
    }
    const QString address = controls.Address();
    controls.SetListedAddress(address);
    PageFetcher pages;
    if (IsUsableAddress(address)) {
        const std::optional<QString> playlist = FetchPlaylist(address);
        pages.CountUnread(!playlist);
        if (playlist && IsPlaylist(*playlist)) {
            ListPlaylist(*playlist, controls.Songs(), controls.Pump());
        } else if (playlist) {
            const NoPlaylist verdict = JudgeNoPlaylist(address, *playlist);
            if (verdict == NoPlaylist::MissingSpace || verdict == NoPlaylist::LaterLayout) {
                controls.SetSongStatus(NoSpaceCaption(verdict == NoPlaylist::LaterLayout));
                return false;
            }
            pages.CountUnread(verdict == NoPlaylist::Unread);
        }
    }
    // An unread playlist must not pass for a space without songs.
    controls.SetSongStatus(QStringLiteral("共 ") + QString::number(controls.Songs().RowCount()) +
                           QStringLiteral(" 歌曲") + pages.FailureNote());
    controls.SetDownloadEnabled(true);
    return pages.FailedCount() == 0;
}
