#include "sim/SpaceServer.h"

#include "sim/ArchiveFace.h"
#include "sim/CdxIndex.h"
#include "sim/Cp936.h"
#include "sim/FaultResponder.h"
#include "sim/MusicPages.h"
#include "sim/RequestTarget.h"
#include "sim/SiteRouter.h"
#include "sim/StopSignal.h"

#include <httplib.h>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace spacesim {

namespace {

constexpr const char* kControlPrefix = "/__sim/";
// Where the archive face answers its capture index, as the Wayback Machine does.
constexpr const char* kCdxPath = "/cdx/search/cdx";
constexpr const char* kTextType = "text/plain; charset=utf-8";

// Idle keep-alive connections and half-sent requests hold a worker, and Stop waits for every
// worker: short library time-outs keep Stop prompt.
constexpr time_t kKeepAliveSeconds = 1;
constexpr time_t kReadTimeoutSeconds = 2;
// Stalled answers each hold a worker until Stop.
constexpr std::size_t kWorkers = 16;
// As many requests on one connection as a common web server's default allows; the library's
// own five made clients reconnect all the time, which no real server asked of them.
constexpr std::size_t kRequestsPerConnection = 100;

// The entry for the request in a table keyed by fault paths, or the table's end.
template <class Table>
auto Find(Table& table, const RequestTarget& target) {
    const std::string query = target.query.empty() ? std::string() : "?" + target.query;
    for (const std::string& key : {target.path, target.path + query, target.host + target.path,
                                   target.host + target.path + query}) {
        if (const auto found = table.find(key); found != table.end()) {
            return found;
        }
    }
    return table.end();
}

constexpr std::size_t kSongPieceBytes = 64 * 1024;

// A song's bytes go out as they are made; a fault, which cuts or delays them, needs them whole.
Reply WithWholeBody(Reply reply) {
    if (reply.song != nullptr) {
        reply.body = SongBytes(*reply.song);
        reply.song = nullptr;
    }
    return reply;
}

// Hands the library the song's next piece, at most `length` bytes; the library asks for the
// pieces in order.
bool SendSongPiece(SongStream& stream, std::size_t offset, std::size_t length,
                   httplib::DataSink& sink) {
    char piece[kSongPieceBytes];
    if (offset != stream.Position()) {
        return false;
    }
    const std::size_t count = stream.Read(piece, std::min(length, sizeof(piece)));
    if (count == 0) {
        sink.done();
        return true;
    }
    return sink.write(piece, count);
}

// The page goes out as it is made, in chunks, so that its size costs no memory.
void SendFloodedIndex(const SpaceStore& spaces, const RequestTarget& target,
                      httplib::Response& response) {
    auto page = std::make_shared<FloodedCdxPage>(spaces, target);
    response.set_chunked_content_provider("application/json",
                                          [page](std::size_t, httplib::DataSink& sink) {
                                              std::string piece;
                                              if (!page->Next(piece)) {
                                                  sink.done();
                                                  return true;
                                              }
                                              return sink.write(piece.data(), piece.size());
                                          });
}

void SendSong(const Reply& reply, httplib::Response& response) {
    auto stream = std::make_shared<SongStream>(*reply.song);
    if (reply.delivery == SongDelivery::Chunked) {
        // Chunks leave the length unannounced, as some song hosts did.
        response.set_chunked_content_provider(
            reply.contentType, [stream](std::size_t offset, httplib::DataSink& sink) {
                return SendSongPiece(*stream, offset, kSongPieceBytes, sink);
            });
        return;
    }
    response.set_content_provider(
        reply.song->bytes, reply.contentType,
        [stream](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return SendSongPiece(*stream, offset, length, sink);
        });
}

}  // namespace

struct SpaceServer::Impl {
    explicit Impl(SpaceStore store) : spaces(std::move(store)) {}

    struct Busy {
        int remaining = 0;
        int retryAfterSeconds = 0;
    };

    void Handle(const httplib::Request& request, httplib::Response& response);
    // Whether the archive holds the page or song: not when a 404 fault took it away or its
    // space names it among the pages never captured.
    bool IsCaptured(const RequestTarget& target) const;
    void HandleArchived(const ArchiveRequest& archived, const httplib::Request& request,
                        httplib::Response& response);
    Reply Held(const RequestTarget& target) const;
    void Serve(const std::optional<Fault>& fault, const Reply& reply,
               const httplib::Request& request, httplib::Response& response);
    void SendBusy(int retryAfterSeconds, const httplib::Request& request,
                  httplib::Response& response);
    std::optional<int> TakeBusyTurn(const RequestTarget& target);
    void Log(std::string line, const httplib::Request& request);
    void Control(const RequestTarget& target, httplib::Response& response);
    bool ControlBusy(const RequestTarget& target);
    void PutBusy(const std::string& path, int times, int retryAfterSeconds);
    void SendReply(const Reply& reply, const httplib::Request& request,
                   httplib::Response& response);
    template <class Value>
    std::optional<Value> Lookup(const std::map<std::string, Value>& table,
                                const RequestTarget& target) const;

    const SpaceStore spaces;
    StopSignal stop;
    mutable std::mutex mutex;
    std::map<std::string, Fault> faults;
    std::map<std::string, std::string> pages;
    std::map<std::string, Busy> busy;
    std::vector<std::string> requests;
    std::vector<std::string> targets;  // beside requests: each one's target as it came
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
};

void SpaceServer::Impl::Handle(const httplib::Request& request, httplib::Response& response) {
    if (const std::optional<ArchiveRequest> archived = ParseArchiveRequest(request.target)) {
        HandleArchived(*archived, request, response);
        return;
    }
    // A request sent through a proxy names the whole address in its target.
    const RequestTarget target = ParseTarget(request.target, request.get_header_value("Host"));
    if (target.host == kServiceHost && target.path.starts_with(kControlPrefix)) {
        Control(target, response);
        return;
    }
    if (target.host == kServiceHost && target.path == kCdxPath) {
        Log(target.LogLine(), request);
        const std::optional<Fault> fault = Lookup(faults, target);
        if (fault == Fault::Flood) {
            SendFloodedIndex(spaces, target, response);
            return;
        }
        const Reply index = fault == Fault::Endless
                                ? EndlessCdxReply(target)
                                : CdxReply(spaces, target, [this](const std::string& address) {
                                      return IsCaptured(ParseTarget("http://" + address, {}));
                                  });
        Serve(fault == Fault::Endless ? std::nullopt : fault, index, request, response);
        return;
    }
    Log(target.LogLine(), request);
    if (const std::optional<int> wait = TakeBusyTurn(target)) {
        SendBusy(*wait, request, response);
        return;
    }
    Serve(Lookup(faults, target), Held(target), request, response);
}

// The archive holds a capture of every address the other faces answer with a page or a song,
// made at the one capture time; a 404 fault takes the capture away.
void SpaceServer::Impl::HandleArchived(const ArchiveRequest& archived,
                                       const httplib::Request& request,
                                       httplib::Response& response) {
    const RequestTarget target = ParseTarget(archived.address, {});
    const std::optional<int> wait = TakeBusyTurn(target);
    const Reply held = Held(target);
    const std::optional<Fault> fault = Lookup(faults, target);
    const bool captured = held.status != 404 && held.status != 502 && IsCaptured(target);
    const std::string time{kDefaultCaptureTime};
    const bool redirect = !wait && captured && archived.time != time;
    Log(redirect ? ArchiveLogLine(archived, target.LogLine()) : target.LogLine(), request);
    if (wait) {
        SendBusy(*wait, request, response);
    } else if (!captured) {
        SendReply(ArchiveMissingReply(archived), request, response);
    } else if (redirect) {
        response.set_redirect(ArchiveLocation(archived, time), 302);
    } else if (!held.location.empty() && !fault) {
        // A captured redirect is replayed into the archive, as replay services rewrite it.
        ArchiveRequest next = archived;
        next.address = held.location;
        SendReply(held, request, response);
        // Replaces the captured Location: a second header would leave clients to pick one.
        response.headers.erase("Location");
        response.set_header("Location", ArchiveLocation(next, time));
    } else {
        Serve(fault, archived.originalBytes ? held : WithBanner(held, archived, time), request,
              response);
    }
}

bool SpaceServer::Impl::IsCaptured(const RequestTarget& target) const {
    if (Lookup(faults, target) == Fault::Status404) {
        return false;
    }
    // A picture the host has lost was never captured either.
    if (IsPictureHost(target.host)) {
        const StoredPicture* picture = spaces.FindPicture(target.host + target.path);
        return picture != nullptr && picture->delivery != PictureDelivery::Missing;
    }
    return target.host != kServiceHost || spaces.IsArchived(target.path);
}

Reply SpaceServer::Impl::Held(const RequestTarget& target) const {
    if (const std::optional<std::string> page = Lookup(pages, target)) {
        // A page set for a song is served as a song, byte for byte.
        if (target.path.ends_with(".mp3")) {
            return {200, "audio/mpeg", *page};
        }
        return {200, kPageType, ToCp936(*page)};
    }
    return Route(spaces, target);
}

void SpaceServer::Impl::Serve(const std::optional<Fault>& fault, const Reply& reply,
                              const httplib::Request& request, httplib::Response& response) {
    if (fault) {
        RespondWithFault(*fault, WithWholeBody(reply), request, response, stop);
        return;
    }
    SendReply(reply, request, response);
}

void SpaceServer::Impl::SendBusy(int retryAfterSeconds, const httplib::Request& request,
                                 httplib::Response& response) {
    SendReply(BusyReply(), request, response);
    response.set_header("Retry-After", std::to_string(retryAfterSeconds));
}

std::optional<int> SpaceServer::Impl::TakeBusyTurn(const RequestTarget& target) {
    std::lock_guard lock(mutex);
    const auto found = Find(busy, target);
    if (found == busy.end()) {
        return std::nullopt;
    }
    const int wait = found->second.retryAfterSeconds;
    if (--found->second.remaining <= 0) {
        busy.erase(found);
    }
    return wait;
}

void SpaceServer::Impl::Log(std::string line, const httplib::Request& request) {
    std::lock_guard lock(mutex);
    requests.push_back(std::move(line));
    targets.push_back(request.target);
}

void SpaceServer::Impl::SendReply(const Reply& reply, const httplib::Request& request,
                                  httplib::Response& response) {
    if (reply.delivery == SongDelivery::Slow) {
        RespondWithFault(Fault::Slow, WithWholeBody(reply), request, response, stop);
        return;
    }
    response.status = reply.status;
    if (!reply.location.empty()) {
        response.set_header("Location", reply.location);
    }
    if (reply.song != nullptr) {
        SendSong(reply, response);
        return;
    }
    if (reply.delivery == SongDelivery::Chunked) {
        // Chunks leave the length unannounced, as some song hosts did.
        response.set_chunked_content_provider(
            reply.contentType, [body = reply.body](std::size_t offset, httplib::DataSink& sink) {
                const std::size_t piece = std::min<std::size_t>(body.size() - offset, 4096);
                if (piece == 0) {
                    sink.done();
                    return true;
                }
                return sink.write(body.data() + offset, piece);
            });
        return;
    }
    response.set_content(reply.body, reply.contentType);
}

void SpaceServer::Impl::Control(const RequestTarget& target, httplib::Response& response) {
    const std::string command = target.path.substr(std::string_view(kControlPrefix).size());
    std::lock_guard lock(mutex);
    if (command == "reset") {
        faults.clear();
        busy.clear();
        requests.clear();
        targets.clear();
    } else if (command == "busy") {
        if (!ControlBusy(target)) {
            response.status = 400;
            response.set_content("busy needs path=P&times=N (and may take after=S)\n", kTextType);
            return;
        }
    } else if (command == "fault" && !target.Param("path").empty()) {
        const std::string mode = target.Param("mode");
        if (mode == "none") {
            faults.erase(target.Param("path"));
        } else if (const std::optional<Fault> fault = ParseFault(mode)) {
            faults[target.Param("path")] = *fault;
        } else {
            response.status = 400;
            response.set_content("unknown fault mode: " + mode + "\n", kTextType);
            return;
        }
    } else if (command == "requests") {
        std::string lines;
        for (const std::string& line : requests) {
            lines += line + "\n";
        }
        response.set_content(lines, kTextType);
        return;
    } else {
        response.status = 404;
        response.set_content(
            "commands: fault?path=P&mode=M, busy?path=P&times=N&after=S, reset, requests\n",
            kTextType);
        return;
    }
    response.set_content("ok\n", kTextType);
}

// Called under the lock.
void SpaceServer::Impl::PutBusy(const std::string& path, int times, int retryAfterSeconds) {
    busy.erase(path);
    if (times > 0) {
        busy[path] = {times, retryAfterSeconds};
    }
}

// Called under the lock; false when the path or the count is missing or malformed.
bool SpaceServer::Impl::ControlBusy(const RequestTarget& target) {
    const std::optional<int> times = PlainNumber(target.Param("times"));
    const std::string after = target.Param("after");
    const std::optional<int> wait = after.empty() ? 1 : PlainNumber(after);
    if (target.Param("path").empty() || !times || !wait) {
        return false;
    }
    PutBusy(target.Param("path"), *times, *wait);
    return true;
}

template <class Value>
std::optional<Value> SpaceServer::Impl::Lookup(const std::map<std::string, Value>& table,
                                               const RequestTarget& target) const {
    std::lock_guard lock(mutex);
    const auto found = Find(table, target);
    return found == table.end() ? std::nullopt : std::optional<Value>(found->second);
}

SpaceServer::SpaceServer(SpaceStore spaces) : impl_(std::make_unique<Impl>(std::move(spaces))) {}

SpaceServer::~SpaceServer() {
    Stop();
}

int SpaceServer::Start(int port) {
    if (impl_->server) {
        return -1;
    }
    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server->set_keep_alive_timeout(kKeepAliveSeconds);
    server->set_read_timeout(kReadTimeoutSeconds);
    server->set_keep_alive_max_count(kRequestsPerConnection);
    // Without it an answer sent in pieces waits out the client's delayed acknowledgement, about
    // 40 ms on every reused connection.
    server->set_tcp_nodelay(true);
    server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        impl_->Handle(request, response);
    });
    const int bound = port == 0 ? server->bind_to_any_port("127.0.0.1")
                                : (server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound < 0) {
        return -1;
    }
    impl_->stop.Clear();
    impl_->server = std::move(server);
    impl_->listener = std::thread([server = impl_->server.get()] { server->listen_after_bind(); });
    // stop() is ignored until the listener has started, so Stop must not come earlier.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!impl_->server->is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return bound;
}

void SpaceServer::Stop() {
    if (!impl_->server) {
        return;
    }
    impl_->stop.Raise();
    impl_->server->stop();
    impl_->listener.join();
    impl_->server.reset();
}

void SpaceServer::SetFault(const std::string& path, Fault fault) {
    std::lock_guard lock(impl_->mutex);
    impl_->faults[path] = fault;
}

void SpaceServer::SetPage(const std::string& path, const std::string& utf8Html) {
    std::lock_guard lock(impl_->mutex);
    impl_->pages[path] = utf8Html;
}

void SpaceServer::ClearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->faults.clear();
}

void SpaceServer::SetBusy(const std::string& path, int times, int retryAfterSeconds) {
    std::lock_guard lock(impl_->mutex);
    impl_->PutBusy(path, times, retryAfterSeconds);
}

std::vector<std::string> SpaceServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

std::vector<std::string> SpaceServer::Targets() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->targets;
}

void SpaceServer::ClearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
    impl_->targets.clear();
}

const SpaceStore& SpaceServer::Spaces() const {
    return impl_->spaces;
}

}  // namespace spacesim
