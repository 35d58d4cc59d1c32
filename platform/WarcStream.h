#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class WarcSource;

// Where a byte of a WARC file lies: in a plain file its offset (within is 0); in a compressed
// file the offset of the gzip member that holds it and how far into that member's inflated
// bytes it comes.
struct WarcPlace {
    std::uint64_t member = 0;
    std::uint64_t within = 0;
};

// Places inside long gzip members (a file gzipped as a whole) where inflating can start again
// without the bytes before: the first reading of the file notes one every megabyte of inflated
// bytes, with the 32 KB that inflating there needs, itself compressed. A read then inflates
// at most a megabyte before the record it wants, instead of the whole file up to it. Chosen
// over a plain copy of the file beside the index: nothing is written to disk (a compressed
// file of 1 GB would need several GB there), nothing is left behind when the program is
// killed, and the notes take about 1% of the inflated size in memory.
struct WarcCheckpoints {
    struct Point {
        WarcPlace place;
        std::uint64_t input = 0;  // the offset in the file of the first byte not yet inflated
        int bits = 0;             // bits of the byte before it still to inflate
        std::string window;       // the 32 KB inflated before the point, compressed
    };
    std::vector<Point> points;  // in the order of their places
};

// The bytes of one WARC file, plain or gzip-compressed (a file that begins with the gzip magic
// is read member by member), read in order or from a place told earlier. A gzip member that
// does not inflate is a break: its remaining bytes are lost, the problem is noted with its
// offset and reading goes on at the next gzip member found after it.
class WarcStream {
public:
    // Opens the file; returns nothing and sets error when it cannot be opened.
    static std::unique_ptr<WarcStream> Open(const std::string& path, std::string& error);

    // Reads the source, with the checkpoints its first reading noted (none when it has not
    // been read before); returns nothing and sets error when it cannot be read.
    static std::unique_ptr<WarcStream> Open(std::unique_ptr<WarcSource> source,
                                            std::shared_ptr<const WarcCheckpoints> checkpoints,
                                            std::string& error);
    ~WarcStream();
    WarcStream(const WarcStream&) = delete;
    WarcStream& operator=(const WarcStream&) = delete;

    bool Compressed() const { return framing_ != Framing::Plain; }

    // Notes checkpoints into the list while reading on from the start: for the first reading.
    void NoteCheckpoints(WarcCheckpoints* checkpoints) { noting_ = checkpoints; }

    // The place of the next byte to be read.
    WarcPlace Tell();

    // Moves to a place that Tell gave for this file; false when it cannot be reached.
    bool Seek(WarcPlace place);

    // The next byte, or -1 at the end of the data or at a break.
    int Get();

    // The next byte without reading it, or -1 as Get.
    int Peek();

    // Reads up to size bytes; fewer only at the end of the data or at a break.
    std::size_t Read(char* out, std::size_t size);

    // Passes over up to size bytes, stopping at the end of the data or at a break; returns how
    // many it passed over.
    std::uint64_t Skip(std::uint64_t size);

    // True once every byte has been read.
    bool AtEnd() const { return atEnd_ && bufferAt_ == bufferEnd_; }

    // How many breaks the reading has met so far.
    int Breaks() const { return breaks_; }

    // What went wrong at each break since the last call, with the offset, oldest first.
    std::vector<std::string> TakeProblems();

    // How far into the file (its bytes as stored) the reading has come, and its size.
    std::uint64_t FileOffset() const;
    std::uint64_t FileSize() const { return fileSize_; }

private:
    struct Inflater;
    // Plain bytes; gzip members one after another; one bare deflate stream.
    enum class Framing { Plain, Gzip, Deflate };

    WarcStream(std::unique_ptr<WarcSource> source, Framing framing,
               std::shared_ptr<const WarcCheckpoints> checkpoints);
    // Refills the buffer of bytes to read; false at the end of the data or at a break.
    bool Fill();
    bool FillPlain();
    bool FillInflated();
    // Inflates once into the buffer; false at a break.
    bool InflateOnce();
    void NotePoint();
    // Starts reading the member at the file offset, or at the first one found after it when
    // that is no member; false when there is none.
    bool StartMember(std::uint64_t offset);
    // Starts the inflater again at the checkpoint; false when it cannot.
    bool Restart(const WarcCheckpoints::Point& point);
    // The last checkpoint at or before the place, in its member; nothing when there is none.
    const WarcCheckpoints::Point* PointBefore(WarcPlace place) const;
    // Whether a gzip member begins at the file offset; leaves the input there.
    bool MemberAt(std::uint64_t offset);
    // The offset of the first gzip magic at or after the offset, if any.
    std::optional<std::uint64_t> FindMagic(std::uint64_t offset);
    // Reads more compressed bytes; false at the end of the file.
    bool ReadInput();
    void Break(const std::string& problem);

    std::unique_ptr<WarcSource> source_;
    Framing framing_;
    std::shared_ptr<const WarcCheckpoints> checkpoints_;
    WarcCheckpoints* noting_ = nullptr;
    std::unique_ptr<Inflater> inflater_;
    std::vector<char> input_;
    std::size_t inputAt_ = 0;
    std::size_t inputEnd_ = 0;
    std::uint64_t inputOffset_ = 0;  // file offset of input_[0]
    std::uint64_t fileSize_ = 0;
    std::vector<char> buffer_;
    std::size_t bufferAt_ = 0;
    std::size_t bufferEnd_ = 0;
    std::uint64_t bufferStart_ = 0;  // place of buffer_[0]: file offset, or offset within member
    std::uint64_t member_ = 0;
    bool bare_ = false;  // inflating bare deflate from a checkpoint: a gzip trailer follows
    bool memberEnded_ = false;
    bool atEnd_ = false;
    bool placeKnown_ = false;  // the reading stands at a place it can go on from
    int breaks_ = 0;
    std::vector<std::string> problems_;
};

}  // namespace platform
