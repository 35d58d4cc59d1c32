#pragma once

#include <QString>
#include <optional>

// Fetches the space's playlist (the space address + "/music/music.pls"). A space without
// songs has no playlist, so the service's "not found" answer reads as an empty playlist.
// Returns nothing when the playlist could not be read: the request failed or timed out, the
// server answered with an error but "not found" (a 5xx, a redirect that led nowhere), or,
// with a replay prefix, the archive answered with any error status.
std::optional<QString> FetchPlaylist(const QString& spaceAddress);
