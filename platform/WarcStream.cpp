#include "platform/WarcStream.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kInputBytes = 64 * 1024;
constexpr std::size_t kBufferBytes = 64 * 1024;
// A gzip member starts with these: the magic and the deflate method.
constexpr unsigned char kGzipMagic[] = {0x1f, 0x8b, 0x08};

std::string AtOffset(std::uint64_t offset) {
    return "offset " + std::to_string(offset) + ": ";
}

}  // namespace

// zlib's state for one member after another; gzip framing only (16 + window bits).
struct WarcStream::Inflater {
    z_stream stream{};
    bool ready = false;

    Inflater() { ready = inflateInit2(&stream, 16 + MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (ready) {
            inflateEnd(&stream);
        }
    }
};

std::unique_ptr<WarcStream> WarcStream::Open(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat status {};
    if (file == nullptr || fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode)) {
        error = file == nullptr ? std::strerror(errno) : "not a file";
        if (file != nullptr) {
            std::fclose(file);
        }
        return nullptr;
    }
    unsigned char head[2] = {};
    const bool compressed =
        std::fread(head, 1, 2, file) == 2 && head[0] == kGzipMagic[0] && head[1] == kGzipMagic[1];
    std::unique_ptr<WarcStream> stream(new WarcStream(file, compressed));
    stream->fileSize_ = static_cast<std::uint64_t>(status.st_size);
    if (!stream->Seek({0, 0})) {
        error = "gzip data cannot be read";
        return nullptr;
    }
    return stream;
}

WarcStream::WarcStream(std::FILE* file, bool compressed)
    : file_(file),
      compressed_(compressed),
      inflater_(compressed ? std::make_unique<Inflater>() : nullptr),
      input_(compressed ? kInputBytes : 0),
      buffer_(kBufferBytes) {}

WarcStream::~WarcStream() {
    std::fclose(file_);
}

WarcPlace WarcStream::Tell() {
    if (!compressed_) {
        return {bufferStart_ + bufferAt_, 0};
    }
    // At the end of a member the next byte is the next member's first.
    if (bufferAt_ == bufferEnd_ && memberEnded_) {
        Fill();
    }
    return {member_, bufferStart_ + bufferAt_};
}

bool WarcStream::Seek(WarcPlace place) {
    atEnd_ = false;
    bufferAt_ = bufferEnd_ = 0;
    if (!compressed_) {
        bufferStart_ = place.member;
        return place.member <= fileSize_ &&
               fseeko(file_, static_cast<off_t>(place.member), SEEK_SET) == 0;
    }
    if (!inflater_->ready || !MemberAt(place.member)) {
        return false;
    }
    inflateReset(&inflater_->stream);
    member_ = place.member;
    bufferStart_ = 0;
    memberEnded_ = false;
    const int breaks = breaks_;
    return Skip(place.within) == place.within && breaks == breaks_;
}

int WarcStream::Get() {
    if (bufferAt_ == bufferEnd_ && !Fill()) {
        return -1;
    }
    return static_cast<unsigned char>(buffer_[bufferAt_++]);
}

int WarcStream::Peek() {
    if (bufferAt_ == bufferEnd_ && !Fill()) {
        return -1;
    }
    return static_cast<unsigned char>(buffer_[bufferAt_]);
}

std::size_t WarcStream::Read(char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size && (bufferAt_ < bufferEnd_ || Fill())) {
        const std::size_t piece = std::min(size - done, bufferEnd_ - bufferAt_);
        std::memcpy(out + done, buffer_.data() + bufferAt_, piece);
        bufferAt_ += piece;
        done += piece;
    }
    return done;
}

std::uint64_t WarcStream::Skip(std::uint64_t size) {
    if (!compressed_) {
        if (size <= bufferEnd_ - bufferAt_) {
            bufferAt_ += static_cast<std::size_t>(size);
            return size;
        }
        const std::uint64_t at = Tell().member;
        const std::uint64_t passed = std::min(size, fileSize_ - std::min(at, fileSize_));
        Seek({at + passed, 0});
        return passed;
    }
    std::uint64_t done = 0;
    while (done < size && (bufferAt_ < bufferEnd_ || Fill())) {
        const std::uint64_t piece = std::min<std::uint64_t>(size - done, bufferEnd_ - bufferAt_);
        bufferAt_ += static_cast<std::size_t>(piece);
        done += piece;
    }
    return done;
}

std::vector<std::string> WarcStream::TakeProblems() {
    return std::exchange(problems_, {});
}

bool WarcStream::Fill() {
    return compressed_ ? FillInflated() : FillPlain();
}

bool WarcStream::FillPlain() {
    if (atEnd_) {
        return false;
    }
    bufferStart_ += bufferEnd_;
    bufferAt_ = 0;
    bufferEnd_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    atEnd_ = bufferEnd_ == 0;
    return !atEnd_;
}

bool WarcStream::FillInflated() {
    z_stream& stream = inflater_->stream;
    while (!atEnd_) {
        if (memberEnded_) {
            StartMember(inputOffset_ + inputAt_);
            continue;
        }
        bufferStart_ += bufferEnd_;
        bufferAt_ = bufferEnd_ = 0;
        if (inputAt_ == inputEnd_ && !ReadInput()) {
            Break(AtOffset(member_) + "the gzip member is cut short by the end of the file");
            atEnd_ = true;
            return false;
        }
        stream.next_in = reinterpret_cast<Bytef*>(input_.data() + inputAt_);
        stream.avail_in = static_cast<uInt>(inputEnd_ - inputAt_);
        stream.next_out = reinterpret_cast<Bytef*>(buffer_.data());
        stream.avail_out = static_cast<uInt>(buffer_.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        inputAt_ = inputEnd_ - stream.avail_in;
        bufferEnd_ = buffer_.size() - stream.avail_out;
        if (result == Z_STREAM_END) {
            memberEnded_ = true;
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            const char* reason = stream.msg != nullptr ? stream.msg : "damaged data";
            Break(AtOffset(member_) + "the gzip member does not inflate (" + reason + ")");
            bufferEnd_ = 0;
            // Said once: the search for the next member passes over the rest of this one.
            if (const std::optional<std::uint64_t> next = FindMagic(member_ + 1)) {
                StartMember(*next);
            } else {
                atEnd_ = true;
            }
            return false;
        }
        if (bufferEnd_ > 0) {
            return true;
        }
    }
    return false;
}

bool WarcStream::StartMember(std::uint64_t offset) {
    bool reported = false;
    for (;;) {
        if (offset >= fileSize_) {
            atEnd_ = true;
            return false;
        }
        if (MemberAt(offset)) {
            inflateReset(&inflater_->stream);
            member_ = offset;
            bufferStart_ = 0;
            bufferAt_ = bufferEnd_ = 0;
            memberEnded_ = false;
            return true;
        }
        if (!reported) {
            reported = true;
            Break(AtOffset(offset) + "no gzip member begins here");
        }
        const std::optional<std::uint64_t> next = FindMagic(offset + 1);
        if (!next) {
            atEnd_ = true;
            return false;
        }
        offset = *next;
    }
}

bool WarcStream::MemberAt(std::uint64_t offset) {
    // Members follow each other closely: most begin in the input already read.
    const bool buffered =
        offset >= inputOffset_ && offset + sizeof kGzipMagic <= inputOffset_ + inputEnd_;
    if (buffered) {
        inputAt_ = static_cast<std::size_t>(offset - inputOffset_);
    } else {
        if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
            return false;
        }
        inputOffset_ = offset;
        inputAt_ = inputEnd_ = 0;
        ReadInput();
    }
    return inputEnd_ - inputAt_ >= sizeof kGzipMagic &&
           std::memcmp(input_.data() + inputAt_, kGzipMagic, sizeof kGzipMagic) == 0;
}

std::optional<std::uint64_t> WarcStream::FindMagic(std::uint64_t offset) {
    // The search moves the file away from the input read so far.
    inputAt_ = inputEnd_ = 0;
    std::vector<char> chunk(kInputBytes);
    while (offset < fileSize_ && fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0) {
        const std::size_t read = std::fread(chunk.data(), 1, chunk.size(), file_);
        const auto found =
            std::search(chunk.begin(), chunk.begin() + static_cast<long>(read),
                        std::begin(kGzipMagic), std::end(kGzipMagic),
                        [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
        if (found != chunk.begin() + static_cast<long>(read)) {
            return offset + static_cast<std::uint64_t>(found - chunk.begin());
        }
        if (read < chunk.size()) {
            break;
        }
        // A magic split across two chunks is found by the next, which overlaps this one.
        offset += read - (sizeof kGzipMagic - 1);
    }
    return std::nullopt;
}

bool WarcStream::ReadInput() {
    inputOffset_ += inputEnd_;
    inputAt_ = 0;
    inputEnd_ = std::fread(input_.data(), 1, input_.size(), file_);
    return inputEnd_ > 0;
}

void WarcStream::Break(const std::string& problem) {
    ++breaks_;
    problems_.push_back(problem);
}

}  // namespace platform
