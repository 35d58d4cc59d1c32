#include "sim/MusicPages.h"

#include "sim/Html.h"

#include <algorithm>
#include <string_view>

namespace spacesim {

namespace {

constexpr std::string_view kHeader("ID3\x03\x00\x00\x00\x00\x00\x00", 10);

}  // namespace

std::string Playlist(const Space& space) {
    std::string list = "<asx Version=\"3.0\">\n";
    for (const Song& song : space.songs) {
        list += "<entry><title>" + EscapeHtml(song.title) + "</title><ref href=\"" + song.url +
                "\" /></entry>\n";
    }
    return list + "</asx>\n";
}

SongStream::SongStream(const Song& song) : length_(song.bytes), state_(1469598103934665603ULL) {
    for (const char c : song.url) {
        state_ = (state_ ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
}

std::size_t SongStream::Read(char* out, std::size_t size) {
    const std::size_t count = std::min(size, length_ - position_);
    for (std::size_t i = 0; i < count; ++i, ++position_) {
        if (position_ < kHeader.size()) {
            out[i] = kHeader[position_];
            continue;
        }
        // xorshift64, eight bytes a step: cheap, and the same sequence for the same address.
        const std::size_t byte = (position_ - kHeader.size()) % 8;
        if (byte == 0) {
            state_ ^= state_ << 13;
            state_ ^= state_ >> 7;
            state_ ^= state_ << 17;
        }
        out[i] = static_cast<char>((state_ >> (8 * byte)) & 0xFF);
    }
    return count;
}

std::string SongBytes(const Song& song) {
    std::string bytes(song.bytes, '\0');
    SongStream(song).Read(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace spacesim
