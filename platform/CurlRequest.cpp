#include "platform/CurlRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <new>

namespace platform {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutS = 10;
// No page of the service comes near this; a body held in memory that does is hostile and
// would only eat it, so the request fails instead. A song's body goes to a receiver instead.
constexpr std::size_t kMaxBodyBytes = 64u << 20;
// Larger pieces for a body that goes to a receiver: fewer calls per song.
constexpr long kReceiverBufferBytes = 256 * 1024;
// Addresses come from pages; nothing but the web may be read through them (no file://).
constexpr const char* kAllowedProtocols = "http,https";
// How long a transfer waits for the network before it looks at its limits and its abort
// signal again (an abort raised by Raise wakes it at once).
constexpr int kPollMs = 50;

// How long a request may take: a page is small, so a trickle is as good as a stall; a song
// may be large and come slowly, so it has no total limit (0), only the stall limit.
struct Limits {
    long totalS;
    long slowBytesPerS;
    long slowForS;
};

Limits LimitsOf(Payload payload) {
    return payload == Payload::Page ? Limits{60, 100, 15} : Limits{0, 1024, 30};
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

// Connections and name lookups kept between requests, whichever thread sends them.
class SharedCache {
public:
    SharedCache() : share_(curl_share_init()) {
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &Lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &Unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    SharedCache(const SharedCache&) = delete;
    SharedCache& operator=(const SharedCache&) = delete;

    CURLSH* Handle() const { return share_; }

private:
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<SharedCache*>(self)->locks_[static_cast<std::size_t>(data)].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<SharedCache*>(self)->locks_[static_cast<std::size_t>(data)].unlock();
    }

    CURLSH* share_;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
};

// Set up once; never torn down, since requests may still be ending while the program exits.
CURLSH* Cache() {
    static SharedCache* cache = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK
                                    ? new SharedCache()  // NOLINT: lives as long as the process
                                    : nullptr;
    return cache == nullptr ? nullptr : cache->Handle();
}

// Where a transfer's body goes: a successful one to the receiver when there is one, anything
// else into the response.
struct BodySink {
    CURL* curl = nullptr;
    std::string* body = nullptr;
    BodyReceiver* receiver = nullptr;
    bool receiving = false;
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

bool IsSuccessSoFar(CURL* curl) {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300;
}

long long AnnouncedLength(CURL* curl) {
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length < 0 ? -1 : static_cast<long long>(length);
}

// Hands a piece of a successful body to the receiver; false fails the request.
bool PassOn(BodySink& sink, const char* data, size_t bytes) {
    if (!sink.receiving) {
        sink.receiving = true;
        if (!sink.receiver->Begin(AnnouncedLength(sink.curl))) {
            return false;
        }
    }
    return sink.receiver->Receive(data, bytes);
}

size_t CollectBody(char* data, size_t size, size_t count, void* userData) {
    const size_t bytes = size * count;
    auto* sink = static_cast<BodySink*>(userData);
    if (sink->receiver != nullptr && (sink->receiving || IsSuccessSoFar(sink->curl))) {
        return PassOn(*sink, data, bytes) ? bytes : 0;
    }
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

// Redirects are followed one hop at a time (PerformOnce), so that each hop's host can be
// checked before anything is sent there.
bool Configure(CURL* curl, const std::string& address, Payload payload, long timeoutMs,
               BodySink& sink, CURLSH* cache) {
    const Limits limits = LimitsOf(payload);
    // The proxy is deliberately left unset so that curl takes it from http_proxy & co.
    return curl_easy_setopt(curl, CURLOPT_URL, address.c_str()) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_SHARE, cache) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.slowBytesPerS) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.slowForS) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectBody) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink) == CURLE_OK &&
           (sink.receiver == nullptr ||
            curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiverBufferBytes) == CURLE_OK);
}

// The thread's own multi handle, kept between its transfers: making one opens a pair of
// sockets for its wake-ups, which costs more than a request to a near server. A handle is
// never used by two threads.
CURLM* ThreadMulti() {
    thread_local std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    return multi.get();
}

// Runs the transfer until it ends; an abort wakes the wait at once. Returns curl's result.
CURLcode Run(CURL* curl, AbortSignal& abort) {
    CURLM* const multi = ThreadMulti();
    if (multi == nullptr || curl_multi_add_handle(multi, curl) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    abort.Attach(multi);
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    for (int running = 1; running > 0 && !abort.Raised();) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
            }
        }
        if (running > 0) {
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        }
    }
    // A wake-up raised after this point finds no handle; one raised just before only ends the
    // next transfer's first wait early, which then waits again.
    abort.Attach(nullptr);
    curl_multi_remove_handle(multi, curl);
    return abort.Raised() ? CURLE_ABORTED_BY_CALLBACK : result;
}

std::string ContentType(CURL* curl) {
    const char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    return type == nullptr ? std::string() : std::string(type);
}

std::string ContentLength(CURL* curl) {
    const long long length = AnnouncedLength(curl);
    return length < 0 ? std::string() : std::to_string(length);
}

struct UrlDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

// How long a request may still take, over all its redirects: a page has its total limit,
// a song none.
class Deadline {
public:
    explicit Deadline(Payload payload)
        : limited_(LimitsOf(payload).totalS > 0),
          end_(std::chrono::steady_clock::now() + std::chrono::seconds(LimitsOf(payload).totalS)) {}

    // The milliseconds left (0: no limit), or nothing once the time is up.
    std::optional<long> RemainingMs() const {
        if (!limited_) {
            return 0L;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end_ - std::chrono::steady_clock::now())
                              .count();
        return left > 0 ? std::optional<long>(static_cast<long>(left)) : std::nullopt;
    }

private:
    bool limited_;
    std::chrono::steady_clock::time_point end_;
};

// Where a redirect answer leads, resolved against the address; empty for any other answer.
// As curl's own following: any 3xx but 304 with a Location.
std::string RedirectTarget(CURL* curl, long status) {
    const char* location = nullptr;
    if (status < 300 || status >= 400 || status == 304 ||
        curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location) != CURLE_OK ||
        location == nullptr) {
        return {};
    }
    return location;
}

// One transfer of the address, no redirect followed: sets location to where a redirect leads.
std::optional<Attempt> PerformHop(const std::string& address, Payload payload, long timeoutMs,
                                  AbortSignal& abort, BodyReceiver* receiver,
                                  std::string& location) {
    // curl reads the address up to the first zero; a cut address would fetch another page.
    CURLSH* cache = Cache();
    if (address.find('\0') != std::string::npos || cache == nullptr) {
        return std::nullopt;
    }
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        return std::nullopt;
    }
    Attempt attempt;
    HttpResponse& response = attempt.response;
    CURL* curl = handle.get();
    BodySink sink{curl, &response.body, receiver};
    if (!Configure(curl, address, payload, timeoutMs, sink, cache) ||
        Run(curl, abort) != CURLE_OK) {
        return std::nullopt;
    }
    curl_off_t retryAfter = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    curl_easy_getinfo(curl, CURLINFO_RETRY_AFTER, &retryAfter);
    attempt.retryAfterS = static_cast<long>(retryAfter);
    response.contentType = ContentType(curl);
    response.contentLength = ContentLength(curl);
    location = RedirectTarget(curl, response.status);
    return attempt;
}

}  // namespace

void AbortSignal::Raise() {
    std::lock_guard lock(mutex_);
    raised_.store(true);
    if (transfer_ != nullptr) {
        curl_multi_wakeup(static_cast<CURLM*>(transfer_));
    }
    wake_.notify_all();
}

bool AbortSignal::SleepFor(std::chrono::seconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    std::unique_lock lock(mutex_);
    // In slices, so that the check is asked as often as a transfer asks it.
    while (!Raised() && std::chrono::steady_clock::now() < end) {
        wake_.wait_for(lock, std::chrono::milliseconds(kPollMs));
    }
    return !Raised();
}

void AbortSignal::Attach(void* transfer) {
    std::lock_guard lock(mutex_);
    transfer_ = transfer;
}

std::optional<Attempt> PerformOnce(const std::string& address, Payload payload, AbortSignal& abort,
                                   BodyReceiver* receiver, const std::string& stayOnHost) {
    const Deadline deadline(payload);
    std::string hop = address;
    for (int redirects = 0;; ++redirects) {
        const std::optional<long> timeoutMs = deadline.RemainingMs();
        if (!timeoutMs) {
            return std::nullopt;
        }
        std::string location;
        std::optional<Attempt> attempt =
            PerformHop(hop, payload, *timeoutMs, abort, receiver, location);
        if (!attempt || location.empty()) {
            return attempt;
        }
        if (redirects == kMaxRedirects) {
            return std::nullopt;
        }
        if (!stayOnHost.empty() && HostOf(location) != stayOnHost) {
            attempt->offHostLocation = location;
            return attempt;
        }
        hop = std::move(location);
    }
}

std::string HostOf(const std::string& address) {
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    char* host = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return {};
    }
    std::string name(host);
    curl_free(host);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

}  // namespace platform
