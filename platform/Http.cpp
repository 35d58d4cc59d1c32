#include "platform/Http.h"

#include <curl/curl.h>

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
// How often a waiting user-interface thread looks whether a transfer has ended.
constexpr int kPollMs = 5;

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

int CheckAbort(void* abortFlag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(abortFlag)->load() ? 1 : 0;
}

bool Configure(CURL* curl, const std::string& address, BodySink& sink,
               const std::atomic<bool>& abortFlag) {
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
           curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &abortFlag) == CURLE_OK;
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

std::optional<HttpResponse> Perform(const std::string& address,
                                    const std::atomic<bool>& abortFlag) {
    // curl reads the address up to the first zero; a cut address would fetch another page.
    if (address.find('\0') != std::string::npos || !InitialiseCurl()) {
        return std::nullopt;
    }
    std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    if (!handle) {
        return std::nullopt;
    }
    HttpResponse response;
    CURL* curl = handle.get();
    BodySink sink{curl, &response.body};
    if (!Configure(curl, address, sink, abortFlag) || curl_easy_perform(curl) != CURLE_OK) {
        return std::nullopt;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    response.contentType = ContentType(curl);
    response.contentLength = ContentLength(curl);
    return response;
}

}  // namespace

std::optional<HttpResponse> HttpGetResponse(const std::string& address) {
    const std::atomic<bool> never{false};
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
    std::atomic<bool> abort{false};
    std::atomic<bool> done{false};
    std::optional<HttpResponse> response;
    std::thread worker;
};

HttpTransfer::HttpTransfer(std::string address) : state_(std::make_shared<State>()) {
    state_->worker = std::thread([state = state_, address = std::move(address)] {
        state->response = Perform(address, state->abort);
        state->done.store(true, std::memory_order_release);
    });
}

HttpTransfer::~HttpTransfer() {
    Abort();
    // curl looks at the abort flag at least once a second, so this does not hold for long.
    state_->worker.join();
}

bool HttpTransfer::Done() const {
    return state_->done.load(std::memory_order_acquire);
}

void HttpTransfer::Abort() {
    state_->abort.store(true);
}

std::optional<HttpResponse> HttpTransfer::TakeResponse() {
    if (!Done() || state_->abort.load()) {
        return std::nullopt;
    }
    return std::move(state_->response);
}

std::optional<HttpResponse> HttpGetWhilePumping(const std::string& address, EventPump& pump) {
    HttpTransfer transfer(address);
    while (!transfer.Done()) {
        pump.PumpFor(kPollMs);
        if (pump.StopRequested()) {
            // The destructor aborts the transfer and waits for the worker to let go.
            throw RunStopped{};
        }
    }
    return transfer.TakeResponse();
}

}  // namespace platform
