#include "sim/SpaceServer.h"

#include "sim/Cp936.h"
#include "sim/FaultResponder.h"
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
constexpr const char* kTextType = "text/plain; charset=utf-8";

// Idle keep-alive connections and half-sent requests hold a worker, and Stop waits for every
// worker: short library time-outs keep Stop prompt.
constexpr time_t kKeepAliveSeconds = 1;
constexpr time_t kReadTimeoutSeconds = 2;
// Stalled answers each hold a worker until Stop.
constexpr std::size_t kWorkers = 16;

}  // namespace

struct SpaceServer::Impl {
    explicit Impl(SpaceStore store) : spaces(std::move(store)) {}

    void Handle(const httplib::Request& request, httplib::Response& response);
    void Control(const RequestTarget& target, httplib::Response& response);
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
    std::vector<std::string> requests;
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
};

void SpaceServer::Impl::Handle(const httplib::Request& request, httplib::Response& response) {
    // A request sent through a proxy names the whole address in its target.
    const RequestTarget target = ParseTarget(request.target, request.get_header_value("Host"));
    if (target.host == kServiceHost && target.path.starts_with(kControlPrefix)) {
        Control(target, response);
        return;
    }
    {
        std::lock_guard lock(mutex);
        requests.push_back(target.LogLine());
    }
    Reply reply = Route(spaces, target);
    if (const std::optional<std::string> page = Lookup(pages, target)) {
        reply = {200, kPageType, ToCp936(*page)};
    }
    if (const std::optional<Fault> fault = Lookup(faults, target)) {
        RespondWithFault(*fault, reply, request, response, stop);
        return;
    }
    SendReply(reply, request, response);
}

void SpaceServer::Impl::SendReply(const Reply& reply, const httplib::Request& request,
                                  httplib::Response& response) {
    if (reply.delivery == SongDelivery::Slow) {
        RespondWithFault(Fault::Slow, reply, request, response, stop);
        return;
    }
    response.status = reply.status;
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
        requests.clear();
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
        response.set_content("commands: fault?path=P&mode=M, reset, requests\n", kTextType);
        return;
    }
    response.set_content("ok\n", kTextType);
}

template <class Value>
std::optional<Value> SpaceServer::Impl::Lookup(const std::map<std::string, Value>& table,
                                               const RequestTarget& target) const {
    const std::string query = target.query.empty() ? std::string() : "?" + target.query;
    std::lock_guard lock(mutex);
    for (const std::string& key : {target.path, target.path + query, target.host + target.path,
                                   target.host + target.path + query}) {
        if (const auto found = table.find(key); found != table.end()) {
            return found->second;
        }
    }
    return std::nullopt;
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

void SpaceServer::ClearFault(const std::string& path) {
    std::lock_guard lock(impl_->mutex);
    impl_->faults.erase(path);
}

void SpaceServer::ClearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->faults.clear();
}

std::vector<std::string> SpaceServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void SpaceServer::ClearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

const SpaceStore& SpaceServer::Spaces() const {
    return impl_->spaces;
}

}  // namespace spacesim
