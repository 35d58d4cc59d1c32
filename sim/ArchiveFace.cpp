#include "sim/ArchiveFace.h"

#include "sim/Html.h"
#include "sim/SiteRouter.h"

#include <algorithm>
#include <cctype>

namespace spacesim {

namespace {

constexpr std::string_view kArchiveRoot = "/web/";
constexpr std::string_view kOriginalFlag = "id_";
constexpr std::size_t kLongestTime = 14;
constexpr const char* kArchivePageType = "text/html; charset=utf-8";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The target less "http://127.0.0.1:PORT" when a proxy client names the simulator itself;
// nothing when it names another host.
std::optional<std::string_view> OriginForm(std::string_view target) {
    if (!StartsWithNoCase(target, "http://")) {
        return target;
    }
    target.remove_prefix(7);
    const std::size_t slash = std::min(target.find('/'), target.size());
    const std::string_view host = target.substr(0, std::min(target.find(':'), slash));
    const bool loopback =
        host == "127.0.0.1" || (host.size() == 9 && StartsWithNoCase(host, "localhost"));
    return loopback ? std::optional(target.substr(slash)) : std::nullopt;
}

std::string ArchivePage(std::string_view title, std::string_view body) {
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>";
    page += title;
    page += "</title></head><body>";
    page += body;
    page += "</body></html>";
    return page;
}

}  // namespace

std::optional<ArchiveRequest> ParseArchiveRequest(std::string_view target) {
    std::optional<std::string_view> rest = OriginForm(target);
    if (!rest || !rest->starts_with(kArchiveRoot)) {
        return std::nullopt;
    }
    rest->remove_prefix(kArchiveRoot.size());
    const std::size_t digits = std::min(rest->find_first_not_of("0123456789"), rest->size());
    if (digits == 0 || digits > kLongestTime) {
        return std::nullopt;
    }
    ArchiveRequest request;
    request.time = std::string(rest->substr(0, digits));
    rest->remove_prefix(digits);
    request.originalBytes = rest->starts_with(kOriginalFlag);
    if (request.originalBytes) {
        rest->remove_prefix(kOriginalFlag.size());
    }
    if (!rest->starts_with('/') || !StartsWithNoCase(rest->substr(1), "http://")) {
        return std::nullopt;
    }
    request.address = std::string(rest->substr(1));
    return request;
}

std::string ArchiveLogLine(const ArchiveRequest& request, std::string_view originalLine) {
    std::string line(kArchiveRoot);
    line += request.time;
    if (request.originalBytes) {
        line += kOriginalFlag;
    }
    line += "/http://";
    return line += originalLine;
}

std::string ArchiveLocation(const ArchiveRequest& request, std::string_view captureTime) {
    std::string location(kArchiveRoot);
    location += captureTime;
    if (request.originalBytes) {
        location += kOriginalFlag;
    }
    return location + "/" + request.address;
}

Reply ArchiveMissingReply(const ArchiveRequest& request) {
    const std::string body =
        "<div id=\"error\"><h2>Hrm.</h2><p>Wayback Machine doesn't have that page archived."
        "</p><p>" +
        EscapeHtml(request.address) + "</p></div>";
    return {404, kArchivePageType, ArchivePage("Wayback Machine", body)};
}

Reply BusyReply() {
    return {429, kArchivePageType,
            ArchivePage("429 Too Many Requests",
                        "<h1>Too Many Requests</h1><p>Please wait and try again.</p>")};
}

Reply WithBanner(Reply reply, const ArchiveRequest& request, std::string_view captureTime) {
    if (!reply.contentType.starts_with("text/html")) {
        return reply;
    }
    const std::size_t body = reply.body.find("<body");
    const std::size_t bodyEnd =
        body == std::string::npos ? std::string::npos : reply.body.find('>', body);
    if (bodyEnd == std::string::npos) {
        return reply;
    }
    // Plain ASCII fits a page in any character set. The link, the "_blank" target and the
    // "date" class are what a client cutting from the top of a page would stumble on.
    const std::string address = EscapeHtml(request.address);
    const std::string time(captureTime);
    const std::string banner =
        "<div id=\"wm-ipp\"><a href=\"/web/" + time + "*/" + address +
        "\" target=\"_blank\">Wayback Machine</a> captured this page on <span class=\"date\">" +
        time + "</span> <a href=\"/web/" + time + "/" + address +
        "\">Close</a> (links on it lead back into the archive)</div>";
    reply.body.insert(bodyEnd + 1, banner);
    return reply;
}

}  // namespace spacesim
