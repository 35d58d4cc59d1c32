#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spacesim {

struct Reply;

// A request to the web-archive face: /web/TIME/ADDRESS or /web/TIMEid_/ADDRESS.
struct ArchiveRequest {
    std::string time;     // 1 to 14 digits, as asked
    bool originalBytes;   // the "id_" flag: the capture as it was, without the banner
    std::string address;  // the original absolute address as sent, with its query
};

// Reads an archive request from a request target in origin form ("/web/...") or in absolute
// form naming the loopback ("http://127.0.0.1:PORT/web/..."); nothing for any other target.
std::optional<ArchiveRequest> ParseArchiveRequest(std::string_view target);

// "/web/" + the request's time and flag + "/http://" + the original address's log line: how the
// request log keeps a request that was redirected.
std::string ArchiveLogLine(const ArchiveRequest& request, std::string_view originalLine);

// "/web/" + the capture time + the request's flag + "/" + its address: where a request for
// another time is sent.
std::string ArchiveLocation(const ArchiveRequest& request, std::string_view captureTime);

// The archive's 404 page (UTF-8) for an address it holds no capture of.
Reply ArchiveMissingReply(const ArchiveRequest& request);

// A 429 page (UTF-8) for a request that came while the service was busy.
Reply BusyReply();

// The reply with the archive's banner inserted right after its <body...> tag; anything that is
// not a page with a body comes back unchanged.
Reply WithBanner(Reply reply, const ArchiveRequest& request, std::string_view captureTime);

}  // namespace spacesim
