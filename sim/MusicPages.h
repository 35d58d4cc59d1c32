#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

// The space's playlist (UTF-8): one <entry> per song; the word "entry" does not occur at all
// when the space has no songs.
std::string Playlist(const Space& space);

// The bytes of a song file: `song.bytes` bytes that start like an MP3 file and are the same on
// every run for the same address.
std::string SongBytes(const Song& song);

}  // namespace spacesim
