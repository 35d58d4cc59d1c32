#include "sim/MusicPages.h"

#include "sim/Html.h"

#include <cstdint>

namespace spacesim {

std::string Playlist(const Space& space) {
    std::string list = "<asx Version=\"3.0\">\n";
    for (const Song& song : space.songs) {
        list += "<entry><title>" + EscapeHtml(song.title) + "</title><ref href=\"" + song.url +
                "\" /></entry>\n";
    }
    return list + "</asx>\n";
}

std::string SongBytes(const Song& song) {
    std::uint64_t state = 1469598103934665603ULL;
    for (const char c : song.url) {
        state = (state ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    std::string bytes;
    bytes.reserve(song.bytes);
    bytes.append("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    while (bytes.size() < song.bytes) {
        // xorshift64: cheap, and the same sequence for the same address.
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        bytes += static_cast<char>(state & 0xFF);
    }
    bytes.resize(song.bytes);
    return bytes;
}

}  // namespace spacesim
