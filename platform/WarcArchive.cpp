#include "platform/WarcArchive.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/WarcHttp.h"

namespace platform {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

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

void WarcArchive::AddFile(const std::string& path, std::vector<std::string>& problems) {
    const auto file = static_cast<std::uint32_t>(files_.size());
    files_.push_back(path);
    ScanWarcFile(
        path,
        [this, file](WarcRecordHead&& head, const WarcRecordSpot& spot,
                     const std::string& blockStart) {
            Add(std::move(head), spot, file, blockStart);
        },
        problems);
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
    capture.seconds = WarcSeconds(head.date).value_or(0);
    capture.uri = std::string(uri);
    if (capture.kind == WarcCapture::Kind::Resource) {
        capture.status = 200;
        capture.resourceType = std::move(head.contentType);
    } else {
        capture.status = static_cast<short>(StoredStatus(blockStart));
    }
    const auto index = static_cast<std::uint32_t>(captures_.size());
    byKey_[WarcAddressKey(capture.uri)].push_back(index);
    captures_.push_back(std::move(capture));
    if (captures_.back().kind != WarcCapture::Kind::Revisit) {
        if (!head.recordId.empty()) {
            byRecordId_[head.recordId] = index;
        }
        if (!head.payloadDigest.empty()) {
            byPayloadDigest_[head.payloadDigest] = index;
        }
        return;
    }
    const std::string_view target = WithoutBrackets(head.refersToTargetUri);
    revisits_.push_back({index, target.empty() ? std::string() : WarcAddressKey(target),
                         WarcSeconds(head.refersToDate), std::move(head.refersTo),
                         std::move(head.payloadDigest)});
}

void WarcArchive::LinkRevisits(std::vector<std::string>& problems) {
    for (const RevisitReference& reference : revisits_) {
        WarcCapture& revisit = captures_[reference.capture];
        revisit.original = FindOriginal(reference);
        if (revisit.original < 0) {
            problems.push_back(files_[revisit.file] + ", offset " +
                               std::to_string(revisit.spot.place.member) + ": the revisit of " +
                               revisit.uri + " stands for a record that none of the files hold");
        }
    }
    revisits_ = {};
    byRecordId_ = {};
    byPayloadDigest_ = {};
}

std::int32_t WarcArchive::FindOriginal(const RevisitReference& reference) const {
    if (const auto same = byKey_.find(reference.targetKey); same != byKey_.end()) {
        for (const std::uint32_t index : same->second) {
            const WarcCapture& capture = captures_[index];
            if (capture.kind != WarcCapture::Kind::Revisit &&
                capture.seconds == reference.seconds) {
                return static_cast<std::int32_t>(index);
            }
        }
    }
    if (const auto byId = byRecordId_.find(reference.recordId); byId != byRecordId_.end()) {
        return static_cast<std::int32_t>(byId->second);
    }
    if (const auto byDigest = byPayloadDigest_.find(reference.payloadDigest);
        !reference.payloadDigest.empty() && byDigest != byPayloadDigest_.end()) {
        return static_cast<std::int32_t>(byDigest->second);
    }
    return -1;
}

std::vector<const WarcCapture*> WarcArchive::CapturesOf(std::string_view address,
                                                        std::optional<std::int64_t> near) const {
    std::vector<const WarcCapture*> captures;
    const auto found = byKey_.find(WarcAddressKey(address));
    if (found == byKey_.end()) {
        return captures;
    }
    for (const std::uint32_t index : found->second) {
        captures.push_back(&captures_[index]);
    }
    // Equally near: the later capture, and of two at one time the one indexed last.
    const auto distance = [near](const WarcCapture* capture) {
        return near ? std::abs(capture->seconds - *near) : 0;
    };
    std::stable_sort(captures.begin(), captures.end(), [&](const auto* a, const auto* b) {
        if (distance(a) != distance(b)) {
            return distance(a) < distance(b);
        }
        return a->seconds > b->seconds;
    });
    return captures;
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
    const std::string start = WarcAddressKey(prefix);
    std::vector<std::pair<std::string_view, const std::string*>> found;
    for (const auto& [key, indexes] : byKey_) {
        if (!key.starts_with(start)) {
            continue;
        }
        for (const WarcCapture* capture : CapturesOf(key, near)) {
            if (StatusOf(*capture) == 200) {
                found.emplace_back(key, &capture->uri);
                break;
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> addresses;
    for (const auto& entry : found) {
        addresses.push_back(*entry.second);
    }
    return addresses;
}

}  // namespace platform
