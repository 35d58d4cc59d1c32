#pragma once

#include "sim/Fault.h"
#include "sim/SpaceStore.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace spacesim {

// The one capture time the archive face holds.
inline constexpr std::string_view kDefaultCaptureTime = "20120101000000";

// Serves the spaces of a store on a loopback port as the blog service and its song hosts
// answered, both to direct requests and to requests sent through it as an HTTP proxy. Faults
// can be set per path, and every request is logged so that tests can see what was asked for.
//
// Fault paths match the request's decoded path exactly: "/jiaoliao/blog" matches every
// request for that path whatever its query and host; "/sys/search?pageno=1&..." matches only
// that query as sent; "music.pagewren.test/songs/1.mp3" (no leading "/") matches one host.
//
// It also answers as a web archive holding one capture of every page and song it serves:
// "/web/TIME/ADDRESS" gives the page with the archive's banner, "/web/TIMEid_/ADDRESS" the
// original bytes; another time is redirected to the capture time, an address it does not hold
// gets the archive's 404 page. Faults, pages and busy paths set for an address apply there too.
class SpaceServer {
public:
    explicit SpaceServer(SpaceStore spaces);
    ~SpaceServer();
    SpaceServer(const SpaceServer&) = delete;
    SpaceServer& operator=(const SpaceServer&) = delete;

    // Starts serving on 127.0.0.1:port from a background thread; port 0 picks a free port.
    // Returns the port, or -1 when the port cannot be bound or the server already runs.
    int Start(int port);

    // Stops serving and returns within a second or two, also while a stalled or slow answer is
    // under way (it is cut off). Does nothing when the server does not run.
    void Stop();

    // Makes every later request for the path misbehave as the fault says.
    void SetFault(const std::string& path, Fault fault);

    // Removes every fault.
    void ClearFaults();

    // Answers the path (matched as a fault path is) with this page, written in UTF-8 and
    // served in code page 936, instead of what the spaces hold: for pages no space would make.
    // (A path ending in ".mp3" is served as a song: its bytes as given, typed audio/mpeg.)
    void SetPage(const std::string& path, const std::string& utf8Html);

    // Makes the next `times` requests for the path (matched as a fault path is, on every face)
    // answer 429 with "Retry-After: retryAfterSeconds"; 0 times ends it.
    void SetBusy(const std::string& path, int times, int retryAfterSeconds = 1);

    // The requests received so far, oldest first, each as host + decoded path + "?" + query
    // as sent (e.g. "hi.baidu.com/jiaoliao/blog"); control requests are not logged. An archive
    // request is logged as a request for its original address would be, except one answered
    // with a redirect: "/web/" + the time and flag as asked + "/http://" + that same line.
    std::vector<std::string> Requests() const;

    // The same requests' targets as they came, which tell the faces apart: an archive request
    // sent through the simulator as a proxy is
    // "http://127.0.0.1:PORT/web/20120101000000id_/http://hi.baidu.com/jiaoliao/blog".
    std::vector<std::string> Targets() const;

    // Empties the request log.
    void ClearRequests();

    // The spaces being served.
    const SpaceStore& Spaces() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace spacesim
