#include "platform/WarcStream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/WarcSource.h"

namespace platform {
namespace {

constexpr std::size_t kInputBytes = 64 * 1024;
constexpr std::size_t kBufferBytes = 64 * 1024;
// A gzip member starts with these: the magic and the deflate method.
constexpr unsigned char kGzipMagic[] = {0x1f, 0x8b, 0x08};
// Inflated bytes between two checkpoints of one member.
constexpr std::uint64_t kCheckpointSpan = 1 << 20;
// The most that inflating looks back.
constexpr std::size_t kWindowBytes = 32 * 1024;
// zlib's window bits: with the gzip framing; bare deflate.
constexpr int kGzipBits = 16 + MAX_WBITS;
constexpr int kBareBits = -MAX_WBITS;
// The CRC and the length that end a gzip member, after its deflate stream.
constexpr std::uint64_t kGzipTrailer = 8;

std::string AtOffset(std::uint64_t offset) {
    return "offset " + std::to_string(offset) + ": ";
}

std::string Shrunk(const Bytef* data, uInt size) {
    std::string out(compressBound(size), '\0');
    uLongf length = out.size();
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &length, data, size, 1) != Z_OK) {
        return {};
    }
    out.resize(length);
    return out;
}

std::vector<Bytef> Grown(const std::string& shrunk) {
    std::vector<Bytef> out(kWindowBytes);
    uLongf length = out.size();
    if (uncompress(out.data(), &length, reinterpret_cast<const Bytef*>(shrunk.data()),
                   shrunk.size()) != Z_OK) {
        return {};
    }
    out.resize(length);
    return out;
}

bool Before(const WarcPlace& a, const WarcPlace& b) {
    return a.member != b.member ? a.member < b.member : a.within < b.within;
}

}  // namespace

// zlib's state, kept from one member to the next.
struct WarcStream::Inflater {
    z_stream stream{};
    bool ready = false;

    explicit Inflater(int bits) { ready = inflateInit2(&stream, bits) == Z_OK; }
    ~Inflater() {
        if (ready) {
            inflateEnd(&stream);
        }
    }
};

std::unique_ptr<WarcStream> WarcStream::Open(const std::string& path, std::string& error) {
    std::unique_ptr<WarcSource> source = OpenFileSource(path, error);
    return source ? Open(std::move(source), nullptr, error) : nullptr;
}

std::unique_ptr<WarcStream> WarcStream::Open(std::unique_ptr<WarcSource> source,
                                             std::shared_ptr<const WarcCheckpoints> checkpoints,
                                             std::string& error) {
    Framing framing = Framing::Plain;
    unsigned char head[2] = {};
    if (source->Deflated()) {
        framing = Framing::Deflate;
    } else if (source->ReadAt(0, reinterpret_cast<char*>(head), 2) == 2 &&
               head[0] == kGzipMagic[0] && head[1] == kGzipMagic[1]) {
        framing = Framing::Gzip;
    }
    std::unique_ptr<WarcStream> stream(
        new WarcStream(std::move(source), framing, std::move(checkpoints)));
    if (!stream->Seek({0, 0})) {
        error = "gzip data cannot be read";
        return nullptr;
    }
    return stream;
}

WarcStream::WarcStream(std::unique_ptr<WarcSource> source, Framing framing,
                       std::shared_ptr<const WarcCheckpoints> checkpoints)
    : source_(std::move(source)),
      framing_(framing),
      checkpoints_(std::move(checkpoints)),
      inflater_(framing == Framing::Plain
                    ? nullptr
                    : std::make_unique<Inflater>(framing == Framing::Gzip ? kGzipBits : kBareBits)),
      input_(framing == Framing::Plain ? 0 : kInputBytes),
      fileSize_(source_->Size()),
      buffer_(kBufferBytes) {}

WarcStream::~WarcStream() = default;

std::uint64_t WarcStream::FileOffset() const {
    return framing_ == Framing::Plain ? bufferStart_ + bufferAt_ : inputOffset_ + inputAt_;
}

WarcPlace WarcStream::Tell() {
    if (framing_ == Framing::Plain) {
        return {bufferStart_ + bufferAt_, 0};
    }
    // At the end of a member the next byte is the next member's first.
    if (bufferAt_ == bufferEnd_ && memberEnded_) {
        Fill();
    }
    return {member_, bufferStart_ + bufferAt_};
}

bool WarcStream::Seek(WarcPlace place) {
    if (framing_ == Framing::Plain) {
        if (place.member >= bufferStart_ && place.member < bufferStart_ + bufferEnd_) {
            bufferAt_ = static_cast<std::size_t>(place.member - bufferStart_);
        } else {
            bufferStart_ = place.member;
            bufferAt_ = bufferEnd_ = 0;
        }
        atEnd_ = false;
        return place.member <= fileSize_;
    }
    if (!inflater_->ready) {
        return false;
    }
    const WarcCheckpoints::Point* point = PointBefore(place);
    const std::uint64_t here = bufferStart_ + bufferAt_;
    // Reading on is cheaper than starting again when the place lies ahead, before the next
    // checkpoint.
    const bool onward = placeKnown_ && !atEnd_ && member_ == place.member && here <= place.within &&
                        (point == nullptr || point->place.within <= here);
    if (!onward && point != nullptr) {
        if (!Restart(*point)) {
            return false;
        }
    } else if (!onward && ((framing_ == Framing::Gzip && !MemberAt(place.member)) ||
                           !StartMember(place.member))) {
        return false;
    }
    if (member_ != place.member) {
        return false;
    }
    const int breaks = breaks_;
    const std::uint64_t wanted = place.within - (bufferStart_ + bufferAt_);
    return Skip(wanted) == wanted && breaks == breaks_;
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
    if (framing_ == Framing::Plain) {
        if (size <= bufferEnd_ - bufferAt_) {
            bufferAt_ += static_cast<std::size_t>(size);
            return size;
        }
        const std::uint64_t at = bufferStart_ + bufferAt_;
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
    return framing_ == Framing::Plain ? FillPlain() : FillInflated();
}

bool WarcStream::FillPlain() {
    if (atEnd_) {
        return false;
    }
    bufferStart_ += bufferEnd_;
    bufferAt_ = 0;
    bufferEnd_ = source_->ReadAt(bufferStart_, buffer_.data(), buffer_.size());
    atEnd_ = bufferEnd_ == 0;
    return !atEnd_;
}

bool WarcStream::FillInflated() {
    while (!atEnd_) {
        if (memberEnded_) {
            if (framing_ == Framing::Deflate) {
                atEnd_ = true;
                break;
            }
            StartMember(inputOffset_ + inputAt_ + (bare_ ? kGzipTrailer : 0));
            continue;
        }
        bufferStart_ += bufferEnd_;
        bufferAt_ = bufferEnd_ = 0;
        if (inputAt_ == inputEnd_ && !ReadInput()) {
            Break(AtOffset(member_) + "the gzip member is cut short by the end of the file");
            atEnd_ = true;
            return false;
        }
        if (!InflateOnce()) {
            return false;
        }
        if (bufferEnd_ > 0) {
            return true;
        }
    }
    placeKnown_ = false;
    return false;
}

bool WarcStream::InflateOnce() {
    z_stream& stream = inflater_->stream;
    stream.next_in = reinterpret_cast<Bytef*>(input_.data() + inputAt_);
    stream.avail_in = static_cast<uInt>(inputEnd_ - inputAt_);
    stream.next_out = reinterpret_cast<Bytef*>(buffer_.data());
    stream.avail_out = static_cast<uInt>(buffer_.size());
    // Noting checkpoints needs a stop at the end of each deflate block; not in the first half
    // span of a member, so that a short member is inflated at once and checked before any of
    // it is used, as when it is read later.
    const bool blocks = noting_ != nullptr && bufferStart_ >= kCheckpointSpan / 2;
    const int result = inflate(&stream, blocks ? Z_BLOCK : Z_NO_FLUSH);
    inputAt_ = inputEnd_ - stream.avail_in;
    bufferEnd_ = buffer_.size() - stream.avail_out;
    if (result == Z_STREAM_END) {
        memberEnded_ = true;
        return true;
    }
    if (result != Z_OK && result != Z_BUF_ERROR) {
        const char* reason = stream.msg != nullptr ? stream.msg : "damaged data";
        Break(AtOffset(member_) + "the gzip member does not inflate (" + reason + ")");
        bufferEnd_ = 0;
        // Said once: the search for the next member passes over the rest of this one.
        const std::optional<std::uint64_t> next =
            framing_ == Framing::Gzip ? FindMagic(member_ + 1) : std::nullopt;
        if (!next || !StartMember(*next)) {
            atEnd_ = true;
        }
        return false;
    }
    if (blocks) {
        NotePoint();
    }
    return true;
}

void WarcStream::NotePoint() {
    z_stream& stream = inflater_->stream;
    const bool blockEnd = (stream.data_type & 128) != 0 && (stream.data_type & 64) == 0;
    const WarcPlace place{member_, bufferStart_ + bufferEnd_};
    std::vector<WarcCheckpoints::Point>& points = noting_->points;
    const bool sameMember = !points.empty() && points.back().place.member == member_;
    const std::uint64_t last = sameMember ? points.back().place.within : 0;
    if (!blockEnd || place.within < last + kCheckpointSpan ||
        (!points.empty() && !Before(points.back().place, place))) {
        return;
    }
    Bytef window[kWindowBytes];
    uInt length = sizeof window;
    if (inflateGetDictionary(&stream, window, &length) != Z_OK) {
        return;
    }
    points.push_back(
        {place, inputOffset_ + inputAt_, stream.data_type & 7, Shrunk(window, length)});
}

bool WarcStream::Restart(const WarcCheckpoints::Point& point) {
    z_stream& stream = inflater_->stream;
    if (inflateReset2(&stream, kBareBits) != Z_OK) {
        return false;
    }
    if (point.bits > 0) {
        char byte = 0;
        if (point.input == 0 || source_->ReadAt(point.input - 1, &byte, 1) != 1) {
            return false;
        }
        inflatePrime(&stream, point.bits, static_cast<unsigned char>(byte) >> (8 - point.bits));
    }
    const std::vector<Bytef> window = Grown(point.window);
    if (window.empty() ||
        inflateSetDictionary(&stream, window.data(), static_cast<uInt>(window.size())) != Z_OK) {
        return false;
    }
    inputOffset_ = point.input;
    inputAt_ = inputEnd_ = 0;
    member_ = point.place.member;
    bufferStart_ = point.place.within;
    bufferAt_ = bufferEnd_ = 0;
    memberEnded_ = atEnd_ = false;
    bare_ = framing_ == Framing::Gzip;
    placeKnown_ = true;
    return true;
}

const WarcCheckpoints::Point* WarcStream::PointBefore(WarcPlace place) const {
    const WarcCheckpoints* checkpoints = noting_ != nullptr ? noting_ : checkpoints_.get();
    if (checkpoints == nullptr) {
        return nullptr;
    }
    const std::vector<WarcCheckpoints::Point>& points = checkpoints->points;
    auto after = std::upper_bound(points.begin(), points.end(), place,
                                  [](const WarcPlace& p, const WarcCheckpoints::Point& point) {
                                      return Before(p, point.place);
                                  });
    if (after == points.begin()) {
        return nullptr;
    }
    --after;
    return after->place.member == place.member ? &*after : nullptr;
}

bool WarcStream::StartMember(std::uint64_t offset) {
    z_stream& stream = inflater_->stream;
    if (framing_ == Framing::Deflate) {
        // One stream from the start of the source.
        if (offset != 0 || inflateReset2(&stream, kBareBits) != Z_OK) {
            return false;
        }
        inputOffset_ = 0;
        inputAt_ = inputEnd_ = 0;
        member_ = bufferStart_ = 0;
        bufferAt_ = bufferEnd_ = 0;
        memberEnded_ = atEnd_ = false;
        placeKnown_ = true;
        return true;
    }
    bool reported = false;
    for (;;) {
        if (offset >= fileSize_) {
            atEnd_ = true;
            return false;
        }
        if (MemberAt(offset)) {
            inflateReset2(&stream, kGzipBits);
            member_ = offset;
            bufferStart_ = 0;
            bufferAt_ = bufferEnd_ = 0;
            memberEnded_ = atEnd_ = bare_ = false;
            placeKnown_ = true;
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
        inputOffset_ = offset;
        inputAt_ = inputEnd_ = 0;
        ReadInput();
    }
    return inputEnd_ - inputAt_ >= sizeof kGzipMagic &&
           std::memcmp(input_.data() + inputAt_, kGzipMagic, sizeof kGzipMagic) == 0;
}

std::optional<std::uint64_t> WarcStream::FindMagic(std::uint64_t offset) {
    // The search moves away from the input read so far.
    inputAt_ = inputEnd_ = 0;
    std::vector<char> chunk(kInputBytes);
    while (offset < fileSize_) {
        const std::size_t read = source_->ReadAt(offset, chunk.data(), chunk.size());
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
    inputEnd_ = source_->ReadAt(inputOffset_, input_.data(), input_.size());
    return inputEnd_ > 0;
}

void WarcStream::Break(const std::string& problem) {
    ++breaks_;
    placeKnown_ = false;
    problems_.push_back(problem);
}

}  // namespace platform
