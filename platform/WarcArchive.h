#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/WarcRecords.h"

namespace platform {

// The address as replay services compare addresses: without its scheme, user name, default
// port and "#fragment", the host in lower case, the path "/" when empty, percent escapes in
// upper case and other bytes outside printable ASCII escaped ("hi.baidu.com/jiaoliao/blog").
// An address without "://" is taken to begin with its host.
std::string WarcAddressKey(std::string_view address);

// The seconds since 1970 of a capture time written with digits (YYYYMMDD, YYYYMMDDhhmmss) or
// as a WARC-Date ("2012-01-01T00:00:00Z"); nothing when it is no real time.
std::optional<std::int64_t> WarcSeconds(std::string_view time);

// One capture of an address: a response, resource or revisit record.
struct WarcCapture {
    enum class Kind : std::uint8_t { Response, Resource, Revisit };
    WarcRecordSpot spot;
    std::int64_t seconds = 0;
    std::uint32_t file = 0;
    Kind kind = Kind::Response;
    short status = 0;            // the stored status; a revisit's own, 0 when it has none
    std::int32_t original = -1;  // a revisit's record with the payload, -1 when not found
    std::string uri;             // WARC-Target-URI
    std::string resourceType;    // a resource record's Content-Type
};

// The captures of every address in a set of WARC files, by address, kept as places in the
// files: the records themselves stay on disk.
class WarcArchive {
public:
    // Indexes the records of one more file; adds to problems what it had to skip.
    void AddFile(const std::string& path, std::vector<std::string>& problems);

    // Finds the record each revisit stands for, in any file added; adds a problem for each
    // revisit whose record is in none. Call once, after the last AddFile.
    void LinkRevisits(std::vector<std::string>& problems);

    // The captures of the address to try in turn: nearest the time first (seconds since
    // 1970), or latest first without one; empty when the files hold none.
    std::vector<const WarcCapture*> CapturesOf(std::string_view address,
                                               std::optional<std::int64_t> near) const;

    // The record with a revisit's payload; nothing when it was not found.
    const WarcCapture* Original(const WarcCapture& revisit) const;

    // The path of a file added.
    const std::string& FilePath(std::uint32_t file) const { return files_[file]; }

    // The addresses beginning with the prefix (compared as WarcAddressKey) that have a capture
    // answered 200, one per address in the order of their keys, each as its preferred 200
    // capture recorded it.
    std::vector<std::string> AddressesWithPrefix(std::string_view prefix,
                                                 std::optional<std::int64_t> near) const;

    // How many captures were indexed.
    std::size_t Size() const { return captures_.size(); }

private:
    // What a revisit names of its record, until LinkRevisits finds it.
    struct RevisitReference {
        std::uint32_t capture;
        std::string targetKey;
        std::optional<std::int64_t> seconds;
        std::string recordId;
        std::string payloadDigest;
    };

    void Add(WarcRecordHead&& head, const WarcRecordSpot& spot, std::uint32_t file,
             const std::string& blockStart);
    std::int32_t FindOriginal(const RevisitReference& reference) const;
    short StatusOf(const WarcCapture& capture) const;

    std::vector<std::string> files_;
    std::vector<WarcCapture> captures_;
    std::unordered_map<std::string, std::vector<std::uint32_t>> byKey_;
    // Kept only while files are added.
    std::unordered_map<std::string, std::uint32_t> byRecordId_;
    std::unordered_map<std::string, std::uint32_t> byPayloadDigest_;
    std::vector<RevisitReference> revisits_;
};

}  // namespace platform
