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

// Reads the records of the WARC file (plain or gzip-compressed) in order and hands every one
// that is whole to the visitor. Adds to problems, each naming the file and an offset, what it
// had to skip: a file it cannot open or that is no WARC file (then nothing of it is read), a
// record whose header is corrupt, that runs past the end of the file or lacks its end, a gzip
// member that does not inflate; it goes on with the next record it finds.
void ScanWarcFile(const std::string& path, const WarcRecordVisitor& visit,
                  std::vector<std::string>& problems);

// Reads again the header of a record that ScanWarcFile found in the file; nothing when it
// cannot be read (the file changed or is gone).
std::optional<WarcRecordHead> ReadWarcRecordHead(const std::string& path,
                                                 const WarcRecordSpot& spot);

// Reads the block of a record that ScanWarcFile found in the file, handing it to the sink in
// pieces; the sink returns false to stop. Returns false when the block cannot be read whole
// (the file changed or is gone) or the sink stopped.
bool ReadWarcBlock(const std::string& path, const WarcRecordSpot& spot,
                   const std::function<bool(const char*, std::size_t)>& sink);

}  // namespace platform
