#include "platform/WarcArchive.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "platform/WaczFile.h"
#include "platform/WarcHttp.h"
#include "platform/WarcSource.h"

namespace platform {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// Keys are kept in blocks of this size, so that a million short keys cost no allocation each.
constexpr std::size_t kKeyBlockBytes = 1 << 20;
// How many files of an archive are kept open between reads (each holds its buffers and
// inflater, about 200 KB): a folder of thousands of files must not run out of descriptors.
constexpr int kFilesKeptOpen = 64;
// A revisit may stand for a revisit: so many are followed before one with the content.
constexpr int kLongestRevisitChain = 16;
// Problems said of one WACZ file's index; the rest are counted.
constexpr std::size_t kIndexProblems = 20;

std::uint64_t Hash(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The path and query with percent escapes in one spelling and no run of slashes in the path
// (the service, and the program's own addresses, took "//NAME" for "/NAME").
std::string EscapedPath(std::string_view path) {
    std::string escaped;
    const std::size_t queryStart = std::min(path.find('?'), path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '/' && i < queryStart && !escaped.empty() && escaped.back() == '/') {
            continue;
        }
        if (byte == '%' && i + 2 < path.size() && IsHex(path[i + 1]) && IsHex(path[i + 2])) {
            escaped += '%';
            escaped += static_cast<char>(std::toupper(static_cast<unsigned char>(path[++i])));
            escaped += static_cast<char>(std::toupper(static_cast<unsigned char>(path[++i])));
        } else if (byte <= 0x20 || byte >= 0x7F) {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        } else {
            escaped += static_cast<char>(byte);
        }
    }
    return escaped;
}

bool IsWebAddress(std::string_view uri) {
    const std::string start = Lower(uri.substr(0, 8));
    return start.starts_with("http://") || start.starts_with("https://");
}

std::string_view WithoutBrackets(std::string_view uri) {
    if (uri.size() >= 2 && uri.front() == '<' && uri.back() == '>') {
        uri = uri.substr(1, uri.size() - 2);
    }
    return uri;
}

// Days from 1970-01-01 to the date (Howard Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::string WarcAddressKey(std::string_view address) {
    address = WithoutBrackets(address);
    address = address.substr(0, address.find('#'));
    std::string scheme = "http";
    if (const std::size_t sep = address.find("://"); sep != std::string_view::npos) {
        scheme = Lower(address.substr(0, sep));
        address.remove_prefix(sep + 3);
    }
    const std::size_t authorityEnd = std::min(address.find_first_of("/?"), address.size());
    std::string_view authority = address.substr(0, authorityEnd);
    std::string_view path = address.substr(authorityEnd);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    const std::size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        if (port.empty() || (scheme == "http" && port == "80") ||
            (scheme == "https" && port == "443")) {
            authority = authority.substr(0, colon);
        }
    }
    std::string key = Lower(authority);
    if (path.empty() || path.front() == '?') {
        key += '/';
    }
    return key + EscapedPath(path);
}

std::optional<std::int64_t> WarcSeconds(std::string_view time) {
    std::string digits;
    for (const char c : time.substr(0, time.find('.'))) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits += c;
        }
    }
    if (digits.size() == 8) {
        digits += "000000";
    }
    if (digits.size() != 14) {
        return std::nullopt;
    }
    const auto field = [&](std::size_t at, std::size_t length) {
        return static_cast<unsigned>(std::stoul(digits.substr(at, length)));
    };
    const unsigned year = field(0, 4), month = field(4, 2), day = field(6, 2);
    const unsigned hour = field(8, 2), minute = field(10, 2), second = field(12, 2);
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    const std::int64_t days = DaysFromCivil(year, month, day);
    const std::int64_t nextMonth =
        month == 12 ? DaysFromCivil(year + 1, 1, 1) : DaysFromCivil(year, month + 1, 1);
    if (days >= nextMonth) {
        return std::nullopt;
    }
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

// Address keys, packed one after the other; what is added stays in place.
class WarcArchive::KeyStore {
public:
    const char* Add(std::string_view key) {
        if (blocks_.empty() || used_ + key.size() > blockSize_) {
            blockSize_ = std::max(kKeyBlockBytes, key.size());
            blocks_.push_back(std::make_unique<char[]>(blockSize_));
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        std::memcpy(at, key.data(), key.size());
        used_ += key.size();
        return at;
    }

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockSize_ = 0;
    std::size_t used_ = 0;
};

WarcArchive::WarcArchive() : openBudget_(kFilesKeptOpen), keys_(std::make_unique<KeyStore>()) {}

WarcArchive::~WarcArchive() = default;

void WarcArchive::AddFile(const std::string& path, std::vector<std::string>& problems,
                          const WarcScanProgress& progress) {
    const auto file = static_cast<std::uint32_t>(files_.size());
    files_.push_back(std::make_unique<WarcFile>(
        path, [path](std::string& error) { return OpenFileSource(path, error); }, &openBudget_));
    AddRecords(*files_.back(), file, problems, progress);
}

void WarcArchive::AddRecords(WarcFile& file, std::uint32_t index,
                             std::vector<std::string>& problems, const WarcScanProgress& progress) {
    file.Scan([this, index](
                  WarcRecordHead&& head, const WarcRecordSpot& spot,
                  const std::string& blockStart) { Add(std::move(head), spot, index, blockStart); },
              problems, progress);
}

void WarcArchive::AddWacz(const std::string& path, std::vector<std::string>& problems,
                          const WarcScanProgress& progress) {
    std::string error;
    const std::optional<WaczContents> contents = ReadWacz(path, error);
    if (!contents) {
        problems.push_back(path + ": cannot be read as a WACZ file (" + error + ")");
        return;
    }
    if (contents->files.empty()) {
        problems.push_back(path + ": holds no WARC file");
    }
    if (contents->unreadLines > 0) {
        problems.push_back(path + ": " + std::to_string(contents->unreadLines) +
                           " lines of its index name no record of its WARC files");
    }
    std::map<std::string, std::uint32_t> indexOf;
    for (const std::string& name : contents->files) {
        indexOf[name] = static_cast<std::uint32_t>(files_.size());
        files_.push_back(std::make_unique<WarcFile>(
            path + "/" + name,
            [path, name](std::string& why) { return OpenZipEntry(path, name, why); },
            &openBudget_));
    }
    std::vector<std::pair<std::uint32_t, WarcPlace>> places;
    std::set<std::string> indexed;
    for (const WaczContents::Record& record : contents->indexed) {
        places.emplace_back(indexOf[record.file], WarcPlace{record.offset, 0});
        indexed.insert(record.file);
    }
    // Told as the share of the WACZ file's bytes, as the reading of a file is.
    std::error_code unknown;
    const std::uintmax_t size = std::filesystem::file_size(path, unknown);
    const std::uint64_t bytes = unknown ? 0 : size;
    AddIndexed(places, problems, [&](std::uint64_t done, std::uint64_t all) {
        return !progress || progress(all == 0 ? bytes : done * bytes / all, bytes);
    });
    // A file the index does not name is read whole.
    for (const auto& [name, index] : indexOf) {
        if (!indexed.contains(name)) {
            AddRecords(*files_[index], index, problems, progress);
        }
    }
}

void WarcArchive::AddIndexed(const std::vector<std::pair<std::uint32_t, WarcPlace>>& places,
                             std::vector<std::string>& problems, const WarcScanProgress& progress) {
    std::set<std::pair<std::uint32_t, std::uint64_t>> read;
    std::size_t wrongPlaces = 0;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const auto& [index, place] = places[i];
        if (progress && i % 256 == 0 && !progress(i, places.size())) {
            return;
        }
        if (!read.insert({index, place.member}).second) {
            continue;
        }
        WarcRecordSpot spot;
        std::string blockStart;
        std::string wrong;
        std::optional<WarcRecordHead> head =
            files_[index]->RecordAt(place, spot, blockStart, wrong);
        if (head) {
            Add(std::move(*head), spot, index, blockStart);
        } else if (++wrongPlaces <= kIndexProblems) {
            problems.push_back(files_[index]->Name() + ", offset " + std::to_string(place.member) +
                               ": the index names a record that is not there (" + wrong + ")");
        }
    }
    if (wrongPlaces > kIndexProblems) {
        problems.push_back(std::to_string(wrongPlaces - kIndexProblems) +
                           " more records that an index names are not there");
    }
}

void WarcArchive::Add(WarcRecordHead&& head, const WarcRecordSpot& spot, std::uint32_t file,
                      const std::string& blockStart) {
    WarcCapture capture;
    if (head.type == "response") {
        capture.kind = WarcCapture::Kind::Response;
    } else if (head.type == "resource") {
        capture.kind = WarcCapture::Kind::Resource;
    } else if (head.type == "revisit") {
        capture.kind = WarcCapture::Kind::Revisit;
    } else {
        return;
    }
    const std::string_view uri = WithoutBrackets(head.targetUri);
    if (!IsWebAddress(uri)) {
        return;
    }
    capture.spot = spot;
    capture.file = file;
    capture.seconds = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(WarcSeconds(head.date).value_or(0), 0, UINT32_MAX));
    capture.status = capture.kind == WarcCapture::Kind::Resource
                         ? short{200}
                         : static_cast<short>(StoredStatus(blockStart));
    const auto index = static_cast<std::uint32_t>(captures_.size());
    captures_.push_back(capture);
    const std::string key = WarcAddressKey(uri);
    entries_.push_back({Hash(key), keys_->Add(key), static_cast<std::uint32_t>(key.size()), index});
    // A revisit may be what another revisit stands for.
    if (!head.recordId.empty()) {
        recordIds_.emplace_back(Hash(head.recordId), index);
    }
    if (capture.kind != WarcCapture::Kind::Revisit) {
        if (!head.payloadDigest.empty()) {
            payloadDigests_.emplace_back(Hash(head.payloadDigest), index);
        }
        return;
    }
    const std::string_view target = WithoutBrackets(head.refersToTargetUri);
    revisits_.push_back({index, target.empty() ? std::string() : WarcAddressKey(target),
                         WarcSeconds(head.refersToDate),
                         head.refersTo.empty() ? 0 : Hash(head.refersTo),
                         head.payloadDigest.empty() ? 0 : Hash(head.payloadDigest)});
}

void WarcArchive::Complete(std::vector<std::string>& problems) {
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.Key() < b.Key();
    });
    std::sort(recordIds_.begin(), recordIds_.end());
    std::sort(payloadDigests_.begin(), payloadDigests_.end());
    for (const RevisitReference& reference : revisits_) {
        captures_[reference.capture].original = FindOriginal(reference);
    }
    // Then along chains of revisits to the record with the content, from the links as found.
    std::vector<std::pair<std::uint32_t, std::int32_t>> ends;
    for (const RevisitReference& reference : revisits_) {
        std::string wrong;
        ends.emplace_back(reference.capture, EndOfChain(reference.capture, wrong));
        if (ends.back().second < 0) {
            const WarcCapture& revisit = captures_[reference.capture];
            problems.push_back(files_[revisit.file]->Name() + ", offset " +
                               std::to_string(revisit.spot.place.member) + ": " + wrong);
        }
    }
    for (const auto& [capture, end] : ends) {
        captures_[capture].original = end;
    }
    revisits_ = {};
    recordIds_ = {};
    payloadDigests_ = {};
}

std::pair<const WarcArchive::Entry*, const WarcArchive::Entry*> WarcArchive::EntriesOf(
    std::string_view key) const {
    const std::uint64_t hash = Hash(key);
    const auto byHash = [](const Entry& entry, std::uint64_t value) { return entry.hash < value; };
    const Entry* first =
        std::lower_bound(entries_.data(), entries_.data() + entries_.size(), hash, byHash);
    const Entry* last = first;
    while (last != entries_.data() + entries_.size() && last->hash == hash) {
        ++last;
    }
    // Another key with the same hash is sorted beside this one.
    while (first != last && first->Key() != key) {
        ++first;
    }
    const Entry* end = first;
    while (end != last && end->Key() == key) {
        ++end;
    }
    return {first, end};
}

std::int32_t WarcArchive::EndOfChain(std::uint32_t revisit, std::string& wrong) const {
    std::int32_t at = captures_[revisit].original;
    for (int step = 0; at >= 0; ++step) {
        const WarcCapture& capture = captures_[static_cast<std::size_t>(at)];
        if (capture.kind != WarcCapture::Kind::Revisit) {
            return at;
        }
        if (step == kLongestRevisitChain || static_cast<std::uint32_t>(at) == revisit) {
            wrong = "a revisit record stands for a chain of revisit records that " +
                    std::string(step == kLongestRevisitChain
                                    ? "goes on past " + std::to_string(step) + " links"
                                    : "comes back to itself") +
                    " and reaches no record with content";
            return -1;
        }
        at = capture.original;
    }
    wrong = captures_[revisit].original < 0
                ? "a revisit record stands for a record that none of the files hold"
                : "a revisit record stands for a revisit record whose record none of the files "
                  "hold";
    return -1;
}

std::int32_t WarcArchive::FindOriginal(const RevisitReference& reference) const {
    const auto [first, last] = EntriesOf(reference.targetKey);
    // The capture of the time named; one with the content before a revisit made then.
    std::int32_t revisitThen = -1;
    for (const Entry* entry = first; entry != last; ++entry) {
        const WarcCapture& capture = captures_[entry->capture];
        if (capture.seconds != reference.seconds || entry->capture == reference.capture) {
            continue;
        }
        if (capture.kind != WarcCapture::Kind::Revisit) {
            return static_cast<std::int32_t>(entry->capture);
        }
        revisitThen = static_cast<std::int32_t>(entry->capture);
    }
    if (revisitThen >= 0) {
        return revisitThen;
    }
    for (const auto& [index, hash] : {std::pair(&recordIds_, reference.recordId),
                                      std::pair(&payloadDigests_, reference.payloadDigest)}) {
        const auto found = std::lower_bound(index->begin(), index->end(), std::pair(hash, 0u));
        if (hash != 0 && found != index->end() && found->first == hash) {
            return static_cast<std::int32_t>(found->second);
        }
    }
    return -1;
}

std::vector<const WarcCapture*> WarcArchive::Preferred(const Entry* first, const Entry* last,
                                                       std::optional<std::int64_t> near) const {
    std::vector<std::uint32_t> order;
    for (const Entry* entry = first; entry != last; ++entry) {
        order.push_back(entry->capture);
    }
    // Equally near: the later capture, and of two at one time the one indexed last (by its
    // index: the deque's blocks lie in memory in no set order).
    const auto distance = [&](std::uint32_t capture) {
        const auto seconds = static_cast<std::int64_t>(captures_[capture].seconds);
        return near ? std::abs(seconds - *near) : 0;
    };
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (distance(a) != distance(b)) {
            return distance(a) < distance(b);
        }
        const std::uint32_t secondsA = captures_[a].seconds;
        const std::uint32_t secondsB = captures_[b].seconds;
        return secondsA != secondsB ? secondsA > secondsB : a > b;
    });
    std::vector<const WarcCapture*> captures;
    for (const std::uint32_t capture : order) {
        captures.push_back(&captures_[capture]);
    }
    return captures;
}

std::vector<const WarcCapture*> WarcArchive::CapturesOf(std::string_view address,
                                                        std::optional<std::int64_t> near) const {
    const auto [first, last] = EntriesOf(WarcAddressKey(address));
    return Preferred(first, last, near);
}

const WarcCapture* WarcArchive::Original(const WarcCapture& revisit) const {
    return revisit.original < 0 ? nullptr : &captures_[static_cast<std::size_t>(revisit.original)];
}

short WarcArchive::StatusOf(const WarcCapture& capture) const {
    if (capture.kind != WarcCapture::Kind::Revisit) {
        return capture.status;
    }
    const WarcCapture* original = Original(capture);
    if (original == nullptr) {
        return 0;
    }
    // A revisit that kept no status, or kept the server's "not modified", has the original's.
    return capture.status == 0 || capture.status == 304 ? original->status : capture.status;
}

std::vector<std::string> WarcArchive::AddressesWithPrefix(std::string_view prefix,
                                                          std::optional<std::int64_t> near) const {
    std::vector<std::string> addresses;
    for (CapturedAddress& captured : CapturesWithPrefix(prefix, near)) {
        addresses.push_back(std::move(captured.address));
    }
    return addresses;
}

std::vector<WarcArchive::CapturedAddress> WarcArchive::CapturesWithPrefix(
    std::string_view prefix, std::optional<std::int64_t> near) const {
    const std::string start = WarcAddressKey(prefix);
    std::vector<std::pair<std::string_view, std::uint32_t>> found;
    const Entry* const end = entries_.data() + entries_.size();
    for (const Entry* first = entries_.data(); first != end;) {
        const Entry* last = first;
        while (last != end && last->hash == first->hash && last->Key() == first->Key()) {
            ++last;
        }
        if (first->Key().starts_with(start)) {
            for (const WarcCapture* capture : Preferred(first, last, near)) {
                if (StatusOf(*capture) == 200) {
                    found.emplace_back(first->Key(), capture->seconds);
                    break;
                }
            }
        }
        first = last;
    }
    std::sort(found.begin(), found.end());
    std::vector<CapturedAddress> captures;
    for (const auto& [key, seconds] : found) {
        captures.push_back({"http://" + std::string(key), seconds});
    }
    return captures;
}

}  // namespace platform
