#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/WarcFile.h"
#include "platform/WarcRecords.h"

namespace platform {

// The address as replay services compare addresses: without its scheme, user name, default
// port and "#fragment", the host in lower case, the path "/" when empty and without runs of
// slashes, percent escapes in upper case and other bytes outside printable ASCII escaped
// ("hi.baidu.com/jiaoliao/blog"). An address without "://" is taken to begin with its host.
std::string WarcAddressKey(std::string_view address);

// The seconds since 1970 of a capture time written with digits (YYYYMMDD, YYYYMMDDhhmmss) or
// as a WARC-Date ("2012-01-01T00:00:00Z"); nothing when it is no real time.
std::optional<std::int64_t> WarcSeconds(std::string_view time);

// One capture of an address: a response, resource or revisit record. Kept small: an archive
// of a million records holds a million of them.
struct WarcCapture {
    enum class Kind : std::uint8_t { Response, Resource, Revisit };
    WarcRecordSpot spot;
    std::uint32_t seconds = 0;   // the capture time, seconds since 1970
    std::uint32_t file = 0;      // which file added
    std::int32_t original = -1;  // a revisit's record with the payload (at the end of a chain
                                 // of revisits), -1 when not found
    short status = 0;            // the stored status; a revisit's own, 0 when it has none
    Kind kind = Kind::Response;
};

// The captures of every address in a set of WARC files, by address, kept as places in the
// files: the records themselves stay on disk.
class WarcArchive {
public:
    WarcArchive();
    ~WarcArchive();
    WarcArchive(const WarcArchive&) = delete;
    WarcArchive& operator=(const WarcArchive&) = delete;

    // Indexes the records of one more WARC or ARC file; adds to problems what it had to skip.
    // Stops early when progress says so.
    void AddFile(const std::string& path, std::vector<std::string>& problems,
                 const WarcScanProgress& progress = {});

    // Indexes the WARC files inside a WACZ file, read in place, through its index of their
    // records when it has one; adds to problems what it had to skip. Stops early when progress
    // says so.
    void AddWacz(const std::string& path, std::vector<std::string>& problems,
                 const WarcScanProgress& progress = {});

    // Completes the index after the last AddFile: finds the record each revisit stands for,
    // in any file added, following revisits of revisits, and adds a problem for each revisit
    // whose record is in none.
    void Complete(std::vector<std::string>& problems);

    // The captures of the address to try in turn: nearest the time first (seconds since
    // 1970), or latest first without one; empty when the files hold none.
    std::vector<const WarcCapture*> CapturesOf(std::string_view address,
                                               std::optional<std::int64_t> near) const;

    // The record with a revisit's payload; nothing when it was not found.
    const WarcCapture* Original(const WarcCapture& revisit) const;

    // The path of a file added (for a file inside a WACZ file, that file's path, "/" and the
    // name inside).
    const std::string& FilePath(std::uint32_t file) const { return files_[file]->Name(); }

    // A file added, to read its records.
    WarcFile& File(std::uint32_t file) const { return *files_[file]; }

    // The addresses beginning with the prefix (compared as WarcAddressKey) that have a capture
    // answered 200, one per address, in the order of their keys: "http://" + the key.
    std::vector<std::string> AddressesWithPrefix(std::string_view prefix,
                                                 std::optional<std::int64_t> near) const;

    // One address AddressesWithPrefix names, and when the capture that answers it was made.
    struct CapturedAddress {
        std::string address;
        std::uint32_t seconds = 0;  // since 1970
    };

    // AddressesWithPrefix with the time of each address's capture answered 200 that a request
    // would get (the one nearest the time, or the latest).
    std::vector<CapturedAddress> CapturesWithPrefix(std::string_view prefix,
                                                    std::optional<std::int64_t> near) const;

    // How many captures were indexed.
    std::size_t Size() const { return captures_.size(); }

private:
    // One capture under its address key: sorted by hash and key, so that the captures of one
    // address lie side by side.
    struct Entry {
        std::uint64_t hash;
        const char* key;
        std::uint32_t keyLength;
        std::uint32_t capture;
        std::string_view Key() const { return {key, keyLength}; }
    };
    // What a revisit names of its record, until Complete finds it.
    struct RevisitReference {
        std::uint32_t capture;
        std::string targetKey;
        std::optional<std::int64_t> seconds;
        std::uint64_t recordId;
        std::uint64_t payloadDigest;
    };
    using HashIndex = std::vector<std::pair<std::uint64_t, std::uint32_t>>;
    class KeyStore;

    void Add(WarcRecordHead&& head, const WarcRecordSpot& spot, std::uint32_t file,
             const std::string& blockStart);
    std::pair<const Entry*, const Entry*> EntriesOf(std::string_view key) const;
    std::vector<const WarcCapture*> Preferred(const Entry* first, const Entry* last,
                                              std::optional<std::int64_t> near) const;
    std::int32_t FindOriginal(const RevisitReference& reference) const;
    std::int32_t EndOfChain(std::uint32_t revisit, std::string& wrong) const;
    void AddRecords(WarcFile& file, std::uint32_t index, std::vector<std::string>& problems,
                    const WarcScanProgress& progress);
    void AddIndexed(const std::vector<std::pair<std::uint32_t, WarcPlace>>& places,
                    std::vector<std::string>& problems, const WarcScanProgress& progress);
    short StatusOf(const WarcCapture& capture) const;

    std::atomic<int> openBudget_;
    std::vector<std::unique_ptr<WarcFile>> files_;
    std::deque<WarcCapture> captures_;
    std::vector<Entry> entries_;
    std::unique_ptr<KeyStore> keys_;
    // Kept only until Complete: hashes of record IDs and payload digests.
    HashIndex recordIds_;
    HashIndex payloadDigests_;
    std::vector<RevisitReference> revisits_;
};

}  // namespace platform
