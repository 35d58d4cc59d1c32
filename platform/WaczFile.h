#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class WarcSource;

// What a WACZ file (a zip of WARC files, their index and a list of pages, as browser archiving
// tools write it) holds that replay reads: its WARC files and the records its index names.
struct WaczContents {
    struct Record {
        std::string file;  // the WARC file's name inside the zip
        std::uint64_t offset = 0;
    };
    std::vector<std::string> files;  // "archive/data.warc.gz", in name order
    std::vector<Record> indexed;     // the records the index names, in its order
    std::size_t unreadLines = 0;     // index lines that name no record
};

// Whether the path names a WACZ file (".wacz").
bool IsWaczName(std::string_view path);

// Reads the list of files of the WACZ file and its index (indexes/*.cdx, *.cdxj, either
// gzip-compressed; CDXJ lines or CDX lines of eleven fields); nothing, with the reason in error,
// when it is no zip file.
std::optional<WaczContents> ReadWacz(const std::string& path, std::string& error);

// Opens a file inside a zip to be read in place, without unpacking it to disk: stored, its bytes
// as they lie in the zip; deflated, inflated as they are read. Nothing, with the reason in
// error, when it cannot be read so (encrypted, or compressed otherwise).
std::unique_ptr<WarcSource> OpenZipEntry(const std::string& zipPath, const std::string& name,
                                         std::string& error);

}  // namespace platform
