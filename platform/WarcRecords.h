#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WarcStream.h"

namespace platform {

// The named fields of a WARC record's header that replay needs, values as written (a target
// URI without the angle brackets some writers put around it).
struct WarcRecordHead {
    std::string type;               // WARC-Type: "response", "revisit", "resource", ...
    std::string targetUri;          // WARC-Target-URI
    std::string date;               // WARC-Date
    std::string recordId;           // WARC-Record-ID
    std::string refersTo;           // WARC-Refers-To: the record ID a revisit stands for
    std::string refersToTargetUri;  // WARC-Refers-To-Target-URI
    std::string refersToDate;       // WARC-Refers-To-Date
    std::string payloadDigest;      // WARC-Payload-Digest
    std::string contentType;        // Content-Type of the block
};

// Where a record's block lies: the place of the record, the length of its header and of its
// block.
struct WarcRecordSpot {
    WarcPlace place;
    std::uint64_t blockLength = 0;
    std::uint32_t headLength = 0;
};

// Takes each whole record found in a file: its header's fields, where its block lies and the
// first bytes of its block (up to kWarcBlockStart), enough for a stored status line.
using WarcRecordVisitor =
    std::function<void(WarcRecordHead&&, const WarcRecordSpot&, const std::string&)>;
inline constexpr std::size_t kWarcBlockStart = 16;

// Says how far the reading of a file has come (bytes of the file as stored, of its size);
// returns false to stop it.
using WarcScanProgress = std::function<bool(std::uint64_t done, std::uint64_t size)>;

// How a file lays out its records: WARC, or ARC (the format of web crawls before WARC,
// version 1 or 2), whose records all stand for responses.
enum class WarcFormat : std::uint8_t { Warc, Arc1, Arc2 };

// The format of the file the stream reads, told by its first bytes; leaves the stream at its
// start.
WarcFormat DetectWarcFormat(WarcStream& stream);

// Reads the records of the WARC or ARC file (plain or gzip-compressed) in order and hands every
// one that is whole to the visitor; an ARC record is handed as a response record when its block
// holds an HTTP response, else as a resource. Adds to problems, each naming the file (by name)
// and an offset, what it had to skip: a file it cannot open or that is no WARC file (then
// nothing of it is read), a record whose header is corrupt, that runs past the end of the file
// or lacks its end, a gzip member that does not inflate; it goes on with the next record it
// finds. A record whose block is followed by one CRLF instead of two is taken as whole.
void ScanWarcStream(const std::string& name, WarcStream& stream, const WarcRecordVisitor& visit,
                    std::vector<std::string>& problems, const WarcScanProgress& progress = {});

// ScanWarcStream of the file at the path.
void ScanWarcFile(const std::string& path, const WarcRecordVisitor& visit,
                  std::vector<std::string>& problems);

// Reads the record that begins at the place (a place an index of the file named) without its
// block: its header's fields, where its block lies and the first bytes of its block. Nothing,
// with the reason in wrong, when no whole header begins there.
std::optional<WarcRecordHead> ReadRecordAt(WarcStream& stream, WarcFormat format, WarcPlace place,
                                           WarcRecordSpot& spot, std::string& blockStart,
                                           std::string& wrong);

// Reads again the header of a record that ScanWarcStream found; nothing when it cannot be
// read (the file changed).
std::optional<WarcRecordHead> ReadRecordHead(WarcStream& stream, WarcFormat format,
                                             const WarcRecordSpot& spot);

// Reads the block of a record that ScanWarcStream found, handing it to the sink in pieces; the
// sink returns false to stop. Returns false when the block cannot be read whole (the file
// changed) or the sink stopped.
bool ReadRecordBlock(WarcStream& stream, const WarcRecordSpot& spot,
                     const std::function<bool(const char*, std::size_t)>& sink);

// ReadRecordHead and ReadRecordBlock of a WARC file at the path.
std::optional<WarcRecordHead> ReadWarcRecordHead(const std::string& path,
                                                 const WarcRecordSpot& spot);
bool ReadWarcBlock(const std::string& path, const WarcRecordSpot& spot,
                   const std::function<bool(const char*, std::size_t)>& sink);

}  // namespace platform
