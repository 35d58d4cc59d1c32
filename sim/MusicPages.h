#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

// The space's playlist (UTF-8), marked by "Version=": one <entry> per song.
std::string Playlist(const Space& space);

// The bytes of a song file: `song.bytes` bytes that start like an MP3 file and are the same on
// every run for the same address.
std::string SongBytes(const Song& song);

}  // namespace spacesim
