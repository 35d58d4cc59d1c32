#pragma once

#include <QString>
#include <optional>

struct SpacePageAnswer;

// Fetches the space's playlist (the space address + "/music/music.pls"). A space without
// songs has no playlist, so the service's "not found" answer reads as an empty playlist.
// Returns nothing when the playlist could not be read: the request failed or timed out, the
// server answered with an error but "not found" (a 5xx, a redirect that led nowhere), or,
// with a replay prefix, the archive answered with any error status.
std::optional<QString> FetchPlaylist(const QString& spaceAddress);

// Whether the text is a playlist at all: every playlist the service made holds "Version=",
// an error or placeholder page does not.
bool IsPlaylist(const QString& text);

// What a page that came back in place of a playlist says of the songs. A closed space's
// requests all lead to the service's error page, so the space's blog page (one more request)
// tells a missing space from one without songs. Through an archive, a success that is no
// playlist (a "not archived" page) leaves the songs of a real space unknown. A blog page of
// the later layout (see FetchSpacePage) is LaterLayout.
enum class NoPlaylist { SpaceWithoutSongs, MissingSpace, LaterLayout, Unread };
NoPlaylist JudgeNoPlaylist(const QString& spaceAddress, const QString& answer);

// The same judgement from the space's blog page as it was read already (the survey reads it
// before the playlist): no further request.
NoPlaylist JudgeNoPlaylist(const SpacePageAnswer& blog, const QString& answer);
