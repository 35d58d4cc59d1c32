#pragma once

#include "sim/SpaceData.h"

#include <cstdint>
#include <string>

namespace spacesim {

// The space's playlist (UTF-8), marked by "Version=": one <entry> per song.
std::string Playlist(const Space& space);

// The bytes of a song file, made as they go out so that a song of any size costs no memory:
// `song.bytes` bytes that start like an MP3 file and are the same on every run for the same
// address.
class SongStream {
public:
    explicit SongStream(const Song& song);

    // Writes the next bytes of the song, at most `size`, to `out`; returns how many (0 once
    // the song has gone out whole).
    std::size_t Read(char* out, std::size_t size);

    // How many bytes have gone out so far.
    std::size_t Position() const { return position_; }

private:
    std::size_t length_;
    std::uint64_t state_;
    std::size_t position_ = 0;
};

// The whole song file at once, as SongStream makes it.
std::string SongBytes(const Song& song);

}  // namespace spacesim
