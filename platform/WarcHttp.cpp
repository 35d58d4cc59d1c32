#include "platform/WarcHttp.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace platform {
namespace {

// No server sends a head this long, nor a chunk line; past it the message is taken for garbage.
constexpr std::size_t kLongestHead = 256 * 1024;
constexpr std::size_t kLongestChunkLine = 4096;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// Where the blank line that ends a head begins, and how long it is; npos when there is none.
std::pair<std::size_t, std::size_t> HeadEnd(std::string_view text, std::size_t from) {
    const std::size_t crlf = text.find("\r\n\r\n", from);
    const std::size_t lf = text.find("\n\n", from);
    if (crlf != std::string_view::npos && (lf == std::string_view::npos || crlf < lf)) {
        return {crlf, 4};
    }
    return {lf, 2};
}

// Whether a list of codings ("gzip, Chunked") names the coding; names compare without case,
// as HTTP says.
bool HasCoding(std::string_view codings, std::string_view coding) {
    while (!codings.empty()) {
        const std::size_t comma = std::min(codings.find(','), codings.size());
        const std::string_view name = Trimmed(codings.substr(0, comma));
        if (SameName(name.substr(0, std::min(name.find(';'), name.size())), coding)) {
            return true;
        }
        codings.remove_prefix(std::min(comma + 1, codings.size()));
    }
    return false;
}

// Whether a byte may come in the line of a chunk's size: hex digits, blanks, and after ";"
// an extension.
bool MayBeInSizeLine(const std::string& line, char c) {
    constexpr std::string_view kSizeBytes = "0123456789abcdefABCDEF \t\r;";
    return kSizeBytes.find(c) != std::string_view::npos || line.find(';') != std::string::npos;
}

std::optional<StoredHead> ParseHead(std::string_view text) {
    StoredHead head;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (first) {
            head.status = StoredStatus(std::string(line));
            if (head.status == 0) {
                return std::nullopt;
            }
            first = false;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view name = line.substr(0, colon);
        const std::string value(Trimmed(line.substr(colon + 1)));
        if (SameName(name, "Content-Type")) {
            head.contentType = value;
        } else if (SameName(name, "Content-Length")) {
            head.contentLength = value;
        } else if (SameName(name, "Location")) {
            head.location = value;
        } else if (SameName(name, "Content-Encoding")) {
            head.contentEncoding = value;
        } else if (SameName(name, "Transfer-Encoding")) {
            head.chunked = HasCoding(value, "chunked");
        }
    }
    if (first) {
        return std::nullopt;
    }
    return head;
}

std::optional<std::uint64_t> Number(std::string_view text, int base) {
    const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (text.empty() || text.size() > 15 || text.find_first_not_of(digits) != text.npos) {
        return std::nullopt;
    }
    return std::stoull(std::string(text), nullptr, base);
}

}  // namespace

long StoredStatus(const std::string& blockStart) {
    // "HTTP/1.1 200 OK": the version, a blank, three digits.
    const std::string_view text(blockStart);
    const std::size_t blank = text.find(' ');
    if (!text.starts_with("HTTP/") || blank == text.npos || text.size() < blank + 4) {
        return 0;
    }
    const std::optional<std::uint64_t> status = Number(text.substr(blank + 1, 3), 10);
    return status ? static_cast<long>(*status) : 0;
}

StoredResponseReader::StoredResponseReader(HeadHandler onHead) : onHead_(std::move(onHead)) {}

bool StoredResponseReader::Feed(const char* data, std::size_t size) {
    if (malformed_) {
        return false;
    }
    if (!headRead_) {
        std::size_t used = 0;
        if (!FeedHead(data, size, used)) {
            malformed_ = true;
            return false;
        }
        data += used;
        size -= used;
        if (!headRead_ || size == 0) {
            return true;
        }
    }
    if (head_.chunked) {
        return FeedChunked(data, size);
    }
    if (length_) {
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, *length_ - delivered_));
    }
    return Deliver(data, size);
}

bool StoredResponseReader::Finish() {
    // A body said to be chunked that ended within its first line held no chunk at all.
    if (headRead_ && !malformed_ && head_.chunked && !chunkSeen_ && chunk_ == Chunk::SizeLine) {
        TakeAsStored(nullptr, 0);
    }
    return Complete();
}

bool StoredResponseReader::Complete() const {
    if (!headRead_ || malformed_) {
        return false;
    }
    if (head_.chunked) {
        return chunk_ == Chunk::Trailer || chunk_ == Chunk::Done;
    }
    return !length_ || delivered_ == *length_;
}

std::string StoredResponseReader::Problem() const {
    if (headTooLong_) {
        return "its HTTP head is longer than 256 KB";
    }
    if (!headRead_) {
        return malformed_ ? "it holds no HTTP head" : "its HTTP head is cut short";
    }
    if (chunksMalformed_) {
        return "its chunks are malformed";
    }
    if (sinkStopped_ || Complete()) {
        return {};
    }
    if (head_.chunked) {
        return "its chunked body is cut short";
    }
    return "its body is cut short (" + std::to_string(delivered_) + " of " +
           std::to_string(length_.value_or(0)) + " bytes)";
}

std::optional<StoredHead> StoredResponseReader::HeadOnly(const std::string& block) {
    const std::size_t end = HeadEnd(block, 0).first;
    return ParseHead(std::string_view(block).substr(0, end));
}

bool StoredResponseReader::FeedHead(const char* data, std::size_t size, std::size_t& used) {
    const std::size_t before = pending_.size();
    pending_.append(data, std::min(size, kLongestHead + 4 - before));
    const auto [end, separator] = HeadEnd(pending_, before < 3 ? 0 : before - 3);
    if (end == std::string::npos) {
        used = size;
        headTooLong_ = pending_.size() > kLongestHead;
        return !headTooLong_;
    }
    used = end + separator - before;
    std::optional<StoredHead> head = ParseHead(std::string_view(pending_).substr(0, end));
    if (!head) {
        return false;
    }
    pending_.clear();
    if (head->status >= 100 && head->status < 200) {
        // An interim answer ("100 Continue"): the real head follows.
        std::size_t more = 0;
        const bool fine = FeedHead(data + used, size - used, more);
        used += more;
        return fine;
    }
    head_ = std::move(*head);
    headRead_ = true;
    sink_ = onHead_(head_);
    if (!head_.chunked) {
        length_ = Number(head_.contentLength, 10);
    }
    return true;
}

bool StoredResponseReader::FeedChunked(const char* data, std::size_t size) {
    for (std::size_t at = 0; at < size;) {
        switch (chunk_) {
            case Chunk::Data: {
                const std::size_t piece =
                    static_cast<std::size_t>(std::min<std::uint64_t>(chunkLeft_, size - at));
                if (!Deliver(data + at, piece)) {
                    return false;
                }
                at += piece;
                chunkLeft_ -= piece;
                if (chunkLeft_ == 0) {
                    chunk_ = Chunk::DataEnd;
                }
                continue;
            }
            case Chunk::DataEnd: {
                const char c = data[at++];
                if (c == '\n') {
                    chunk_ = Chunk::SizeLine;
                } else if (c != '\r') {
                    return Malformed(true);
                }
                continue;
            }
            case Chunk::Done:
                return true;
            case Chunk::SizeLine:
            case Chunk::Trailer:
                if (!FeedSizeLine(data, size, at)) {
                    return false;
                }
                if (!head_.chunked) {
                    // Taken as stored: FeedSizeLine handed on the rest.
                    return true;
                }
        }
    }
    return true;
}

// Reads on in a chunk's size line or a trailer line; once the line is whole, acts on it.
bool StoredResponseReader::FeedSizeLine(const char* data, std::size_t size, std::size_t& at) {
    const char c = data[at++];
    if (c != '\n') {
        if (!chunkSeen_ && chunk_ == Chunk::SizeLine && !MayBeInSizeLine(pending_, c)) {
            pending_ += c;
            return TakeAsStored(data + at, size - at);
        }
        pending_ += c;
        return pending_.size() <= kLongestChunkLine || Malformed(true);
    }
    // A whole line: a chunk's size (with any extension after ";") or a trailer.
    const std::string line(Trimmed(pending_));
    if (chunk_ == Chunk::Trailer) {
        pending_.clear();
        chunk_ = line.empty() ? Chunk::Done : Chunk::Trailer;
        return true;
    }
    const std::optional<std::uint64_t> length =
        Number(Trimmed(std::string_view(line).substr(0, line.find(';'))), 16);
    if (!length) {
        if (!chunkSeen_) {
            pending_ += c;
            return TakeAsStored(data + at, size - at);
        }
        return Malformed(true);
    }
    pending_.clear();
    chunkSeen_ = true;
    chunkLeft_ = *length;
    chunk_ = *length == 0 ? Chunk::Trailer : Chunk::Data;
    return true;
}

// The body said to be chunked is not: what was held back of its first line and the rest go
// out as they are.
bool StoredResponseReader::TakeAsStored(const char* data, std::size_t size) {
    head_.chunked = false;
    length_ = Number(head_.contentLength, 10);
    const std::string held = std::exchange(pending_, {});
    using Piece = std::pair<const char*, std::size_t>;
    for (const auto& [piece, length] : {Piece(held.data(), held.size()), Piece(data, size)}) {
        const std::uint64_t left = length_ ? *length_ - delivered_ : length;
        if (!Deliver(piece, static_cast<std::size_t>(std::min<std::uint64_t>(length, left)))) {
            return false;
        }
    }
    return true;
}

bool StoredResponseReader::Malformed(bool chunks) {
    malformed_ = true;
    chunksMalformed_ = chunks;
    return false;
}

bool StoredResponseReader::Deliver(const char* data, std::size_t size) {
    delivered_ += size;
    if (size == 0 || !sink_) {
        return true;
    }
    if (!sink_(data, size)) {
        malformed_ = true;
        sinkStopped_ = true;
        return false;
    }
    return true;
}

}  // namespace platform
