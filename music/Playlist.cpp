#include "music/Playlist.h"

#include <optional>

#include "app/PageFetcher.h"
#include "app/PlaylistFetch.h"
#include "app/PlaylistRows.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "music/MusicWindowControls.h"
#include "platform/Http.h"
#include "platform/ReportList.h"

namespace {

// Every playlist the service made holds this; an error page does not.
const QString kPlaylistMark = QStringLiteral("Version=");

// What a page that came back in place of a playlist says. A closed space's requests all lead
// to the service's error page, so its blog page tells a missing space from one without
// songs. Through an archive, a success that is no playlist (a "not archived" page) leaves
// the songs of a real space unknown.
enum class NoPlaylist { SpaceWithoutSongs, MissingSpace, Unread };

NoPlaylist JudgeNoPlaylist(const QString& address, const QString& answer) {
    const SpacePageAnswer blog =
        FetchSpacePage(SpacePageAddress(address, QStringLiteral("/blog")), &IsSpaceBlogPage);
    if (blog.verdict == SpacePageVerdict::NotTheSpace) {
        return NoPlaylist::MissingSpace;
    }
    const bool archived = !platform::ReplayPrefix().empty();
    return archived && !answer.isEmpty() ? NoPlaylist::Unread : NoPlaylist::SpaceWithoutSongs;
}

}  // namespace

bool RunPlaylistRetrieval(MusicWindowControls& controls) {
    controls.Songs().Clear();
    controls.SetDownloadEnabled(false);
    if (WithWebScheme(controls.Address()) != controls.Address()) {
        controls.SetAddress(WithWebScheme(controls.Address()));
    }
    const QString address = controls.Address();
    controls.SetListedAddress(address);
    PageFetcher pages;
    if (IsUsableAddress(address)) {
        const std::optional<QString> playlist = FetchPlaylist(address);
        pages.CountUnread(!playlist);
        if (playlist && playlist->contains(kPlaylistMark)) {
            ListPlaylist(*playlist, controls.Songs(), controls.Pump());
        } else if (playlist) {
            const NoPlaylist verdict = JudgeNoPlaylist(address, *playlist);
            if (verdict == NoPlaylist::MissingSpace) {
                controls.SetSongStatus(kMissingSpaceCaption);
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
