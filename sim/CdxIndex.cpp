#include "sim/CdxIndex.h"

#include "sim/BlogPages.h"
#include "sim/PictureHost.h"
#include "sim/PictureMaker.h"
#include "sim/RequestTarget.h"
#include "sim/SpaceStore.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace spacesim {

namespace {

using nlohmann::json;

constexpr const char* kCaptureTime = "20120101000000";

// The addresses (without "http://") of a space's pages that a crawl following its links would
// have captured, and of its pictures.
std::vector<std::string> SpaceAddresses(const SpaceStore& store, const Space& space) {
    const std::string root = "/" + space.name;
    std::vector<std::string> paths = {root, root + "/blog", root + "/profile"};
    for (const Category& category : space.categories) {
        const std::string address = CategoryAddress(space, category);
        paths.push_back(address);
        const int count = static_cast<int>(category.articles.size());
        for (int page = 1; page <= (count - 1) / space.perPage; ++page) {
            paths.push_back(address + "/index/" + std::to_string(page));
        }
        for (const Article& article : category.articles) {
            paths.push_back(root + "/blog/item/" + article.id + ".html");
        }
    }
    std::vector<std::string> addresses;
    for (const std::string& path : paths) {
        addresses.push_back(std::string(kServiceHost) + path);
    }
    for (const std::string& url : store.PicturesOf(space)) {
        addresses.push_back(url.substr(std::string_view("http://").size()));
    }
    return addresses;
}

// The SURT form the index sorts by: "com,baidu,hi)/name/blog".
std::string UrlKey(const std::string& address) {
    const std::size_t slash = std::min(address.find('/'), address.size());
    std::string host = address.substr(0, slash);
    std::string key;
    for (std::size_t dot = host.rfind('.'); dot != std::string::npos; dot = host.rfind('.')) {
        key += host.substr(dot + 1) + ",";
        host.erase(dot);
    }
    return key + host + ")" + address.substr(slash);
}

json Field(const std::string& name, const std::string& address) {
    if (name == "urlkey") {
        return UrlKey(address);
    }
    if (name == "timestamp") {
        return kCaptureTime;
    }
    if (name == "original") {
        return "http://" + address;
    }
    if (name == "mimetype") {
        const std::string host = address.substr(0, address.find('/'));
        return IsPictureHost(host) ? PictureContentType(PictureFormatOf(address)) : "text/html";
    }
    if (name == "statuscode") {
        return "200";
    }
    return "-";
}

// "2010MMDDhhmmss", the given number of seconds after the start of 2010 (months taken as 31
// days): a capture time of its own for each row of a page.
std::string CaptureTimeAfter(std::size_t seconds) {
    const std::size_t day = seconds / 86400;
    char time[16];
    std::snprintf(time, sizeof(time), "2010%02zu%02zu%02zu%02zu%02zu", 1 + day / 31 % 12,
                  1 + day % 31, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return time;
}

std::vector<std::string> Fields(const RequestTarget& target) {
    std::vector<std::string> fields;
    std::string list = target.Param("fl");
    if (list.empty()) {
        list = "urlkey,timestamp,original,mimetype,statuscode,digest,length";
    }
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        fields.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

// The address (without "http://") with its escapes decoded as a request's are.
std::string Decoded(const std::string& address) {
    const RequestTarget target = ParseTarget("http://" + address, "");
    return target.host + target.path;
}

std::vector<std::string> MatchingAddresses(const SpaceStore& store, const RequestTarget& target,
                                           const CaptureTest& captured) {
    std::string wanted = target.Param("url");
    if (wanted.starts_with("http://")) {
        wanted.erase(0, 7);
    }
    const bool prefix = target.Param("matchType") == "prefix";
    const std::string decodedWanted = Decoded(wanted);
    std::vector<std::string> addresses;
    for (const auto& [name, space] : store.Spaces()) {
        if (space.closed || space.laterLayout) {
            continue;
        }
        for (const std::string& address : SpaceAddresses(store, space)) {
            // Escapes are compared as the bytes they stand for, as archives canonicalize
            // addresses: a picture's GBK name matches however the query escaped it.
            const std::string decoded = Decoded(address);
            const bool matches =
                prefix ? address.starts_with(wanted) || decoded.starts_with(decodedWanted)
                       : address == wanted || decoded == decodedWanted;
            if (matches && captured(address)) {
                addresses.push_back(address);
            }
        }
    }
    // In the order of their keys, as the index pages on by them.
    std::sort(addresses.begin(), addresses.end(),
              [](const std::string& a, const std::string& b) { return UrlKey(a) < UrlKey(b); });
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

}  // namespace

Reply CdxReply(const SpaceStore& store, const RequestTarget& target, const CaptureTest& captured) {
    if (target.Param("output") != "json") {
        return {400, "text/plain", "only output=json is offered\n"};
    }
    const std::vector<std::string> paths = MatchingAddresses(store, target, captured);
    // The resume key is the urlkey of the last row sent: the next page starts after it.
    const std::string resume = target.Param("resumeKey");
    auto first = std::upper_bound(
        paths.begin(), paths.end(), resume,
        [](const std::string& key, const std::string& path) { return key < UrlKey(path); });
    const std::optional<int> limit = PlainNumber(target.Param("limit"));
    const auto end = limit && *limit < paths.end() - first ? first + *limit : paths.end();

    // As the Wayback CDX server answers a query that matches nothing: no field names either.
    if (first == end) {
        return {200, "application/json", "[]\n"};
    }
    const std::vector<std::string> fields = Fields(target);
    json rows = json::array({fields});
    for (auto it = first; it != end; ++it) {
        json row = json::array();
        for (const std::string& field : fields) {
            row.push_back(Field(field, *it));
        }
        rows.push_back(std::move(row));
    }
    if (end != paths.end() && end != first && target.Param("showResumeKey") == "true") {
        rows.push_back(json::array());
        rows.push_back(json::array({UrlKey(*(end - 1))}));
    }
    return {200, "application/json", rows.dump() + "\n"};
}

FloodedCdxPage::FloodedCdxPage(const SpaceStore& store, const RequestTarget& target)
    : fields_(Fields(target)) {
    for (const std::string& path :
         MatchingAddresses(store, target, [](const std::string&) { return true; })) {
        if (path.find("/blog/item/") != std::string::npos) {
            articles_.push_back(path);
        }
    }
}

bool FloodedCdxPage::Next(std::string& piece) {
    if (ended_) {
        return false;
    }
    if (sent_ == 0) {
        piece = "[" + json(fields_).dump();
    }
    // Rows of one capture time each, a second apart, until the page is big enough.
    for (std::size_t rows = 0; rows < kRowsAPiece && sent_ + piece.size() < kBytes; ++rows) {
        const std::string& path = articles_.empty() ? std::string(kServiceHost) + "/"
                                                    : articles_[row_ % articles_.size()];
        json values = json::array();
        for (const std::string& field : fields_) {
            values.push_back(field == "timestamp" ? CaptureTimeAfter(row_)
                                                  : Field(field, path).get<std::string>());
        }
        piece += ",\n" + values.dump();
        ++row_;
    }
    if (sent_ + piece.size() >= kBytes) {
        piece += "]\n";
        ended_ = true;
    }
    sent_ += piece.size();
    return true;
}

Reply EndlessCdxReply(const RequestTarget& target) {
    const long long next = PlainNumber(target.Param("resumeKey")).value_or(0) + 1LL;
    const json rows =
        json::array({Fields(target), json::array(), json::array({std::to_string(next)})});
    return {200, "application/json", rows.dump() + "\n"};
}

}  // namespace spacesim
