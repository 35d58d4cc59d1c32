#include "platform/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "platform/EventPump.h"

namespace platform {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutS = 10;
// A transfer slower than one byte a second for this long counts as stalled.
constexpr long kStallTimeS = 30;
constexpr long kOverallTimeoutS = 300;
// No page or song of the service comes near this; a body that does is hostile and would
// only eat memory, so the request fails instead.
constexpr std::size_t kMaxBodyBytes = 64u << 20;
// Addresses come from pages; nothing but the web may be read through them (no file://).
constexpr const char* kAllowedProtocols = "http,https";
// How long a waiting user-interface thread goes without handling window events.
constexpr int kPollMs = 10;
constexpr long kFirstErrorStatus = 400;
// A busy server is tried this often in all, and waited for at most this long each time.
constexpr int kMaxTries = 3;
constexpr curl_off_t kMaxRetryAfterS = 120;

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

bool InitialiseCurl() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

// Where a transfer's body goes.
struct BodySink {
    CURL* curl = nullptr;
    std::string* body = nullptr;
};

// Makes room for the announced length at once, so that a large song is not copied over and
// over (and held twice) while its buffer grows.
void ReserveAnnounced(const BodySink& sink) {
    curl_off_t length = -1;
    if (sink.body->empty() &&
        curl_easy_getinfo(sink.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length > 0 && static_cast<std::size_t>(length) <= kMaxBodyBytes) {
        sink.body->reserve(static_cast<std::size_t>(length));
    }
}

size_t CollectBody(char* data, size_t size, size_t count, void* userData) {
    const size_t bytes = size * count;
    const auto* sink = static_cast<const BodySink*>(userData);
    std::string* body = sink->body;
    if (body->size() + bytes > kMaxBodyBytes) {
        return 0;
    }
    try {
        ReserveAnnounced(*sink);
        body->append(data, bytes);
    } catch (const std::bad_alloc&) {
        // Returning short makes curl abort the transfer with an error.
        return 0;
    }
    return bytes;
}

// Raised to end a transfer early; a wait for a busy server ends with it.
class AbortSignal {
public:
    bool Raised() const { return raised_.load(); }

    void Raise() {
        {
            std::lock_guard lock(mutex_);
            raised_.store(true);
        }
        wake_.notify_all();
    }

    // Sleeps for the duration unless raised meanwhile; returns false when raised.
    bool SleepFor(std::chrono::seconds duration) {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, duration, [this] { return raised_.load(); });
    }

private:
    std::atomic<bool> raised_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

int CheckAbort(void* signal, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const AbortSignal*>(signal)->Raised() ? 1 : 0;
}

bool Configure(CURL* curl, const std::string& address, BodySink& sink, AbortSignal& abort) {
    // The proxy is deliberately left unset so that curl takes it from http_proxy & co.
    return curl_easy_setopt(curl, CURLOPT_URL, address.c_str()) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallTimeS) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_TIMEOUT, kOverallTimeoutS) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectBody) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckAbort) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &abort) == CURLE_OK;
}

std::string ContentType(CURL* curl) {
    const char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    return type == nullptr ? std::string() : std::string(type);
}

std::string ContentLength(CURL* curl) {
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length < 0 ? std::string() : std::to_string(length);
}

// The answer and, for a busy server, how long it asked to be left alone.
struct Attempt {
    HttpResponse response;
    curl_off_t retryAfterS = 0;
};

std::optional<Attempt> PerformOnce(const std::string& address, AbortSignal& abort) {
    // curl reads the address up to the first zero; a cut address would fetch another page.
    if (address.find('\0') != std::string::npos || !InitialiseCurl()) {
        return std::nullopt;
    }
    std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    if (!handle) {
        return std::nullopt;
    }
    Attempt attempt;
    HttpResponse& response = attempt.response;
    CURL* curl = handle.get();
    BodySink sink{curl, &response.body};
    if (!Configure(curl, address, sink, abort) || curl_easy_perform(curl) != CURLE_OK) {
        return std::nullopt;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    curl_easy_getinfo(curl, CURLINFO_RETRY_AFTER, &attempt.retryAfterS);
    response.contentType = ContentType(curl);
    response.contentLength = ContentLength(curl);
    return attempt;
}

bool IsBusy(const Attempt& attempt) {
    const long status = attempt.response.status;
    return (status == 429 || status == 503) && attempt.retryAfterS > 0;
}

std::optional<HttpResponse> Perform(const std::string& address, AbortSignal& abort) {
    const std::string prefix = ReplayPrefix();
    for (int tries = 1;; ++tries) {
        std::optional<Attempt> attempt = PerformOnce(prefix + address, abort);
        if (!attempt) {
            return std::nullopt;
        }
        if (IsBusy(*attempt) && tries < kMaxTries) {
            const auto pause = std::min<curl_off_t>(attempt->retryAfterS, kMaxRetryAfterS);
            if (!abort.SleepFor(std::chrono::seconds(pause))) {
                return std::nullopt;
            }
            continue;
        }
        if (!prefix.empty() && attempt->response.status >= kFirstErrorStatus) {
            return std::nullopt;
        }
        return std::move(attempt->response);
    }
}

std::string& PrefixStore() {
    static std::string prefix;
    return prefix;
}

thread_local EventPump* requestPump = nullptr;

}  // namespace

void SetReplayPrefix(const std::string& prefix) {
    PrefixStore() = prefix;
}

const std::string& ReplayPrefix() {
    return PrefixStore();
}

RequestPumpScope::RequestPumpScope(EventPump& pump) : previous_(requestPump) {
    requestPump = &pump;
}

RequestPumpScope::~RequestPumpScope() {
    requestPump = previous_;
}

std::optional<HttpResponse> HttpGetResponse(const std::string& address) {
    if (requestPump != nullptr) {
        return HttpGetWhilePumping(address, *requestPump);
    }
    AbortSignal never;
    return Perform(address, never);
}

std::optional<std::string> HttpGet(const std::string& address) {
    auto response = HttpGetResponse(address);
    if (!response) {
        return std::nullopt;
    }
    return std::move(response->body);
}

// Shared with the worker, which may outlive a transfer that was aborted and discarded.
struct HttpTransfer::State {
    AbortSignal abort;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::optional<HttpResponse> response;
    std::thread worker;
};

HttpTransfer::HttpTransfer(std::string address) : state_(std::make_shared<State>()) {
    state_->worker = std::thread([state = state_, address = std::move(address)] {
        std::optional<HttpResponse> response = Perform(address, state->abort);
        {
            std::lock_guard lock(state->mutex);
            state->response = std::move(response);
            state->done = true;
        }
        state->ended.notify_all();
    });
}

HttpTransfer::~HttpTransfer() {
    Abort();
    // curl looks at the abort flag at least once a second, so this does not hold for long.
    state_->worker.join();
}

bool HttpTransfer::Done() const {
    std::lock_guard lock(state_->mutex);
    return state_->done;
}

bool HttpTransfer::WaitFor(int maxMs) {
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(maxMs),
                                  [this] { return state_->done; });
}

void HttpTransfer::Abort() {
    state_->abort.Raise();
}

std::optional<HttpResponse> HttpTransfer::TakeResponse() {
    std::lock_guard lock(state_->mutex);
    if (!state_->done || state_->abort.Raised()) {
        return std::nullopt;
    }
    return std::move(state_->response);
}

std::optional<HttpResponse> HttpGetWhilePumping(const std::string& address, EventPump& pump) {
    HttpTransfer transfer(address);
    // Events are handled between short waits for the answer, which ends a wait at once.
    while (!transfer.WaitFor(kPollMs)) {
        pump.PumpFor(0);
        if (pump.StopRequested()) {
            // The destructor aborts the transfer and waits for the worker to let go.
            throw RunStopped{};
        }
    }
    return transfer.TakeResponse();
}

}  // namespace platform
