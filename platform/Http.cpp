#include "platform/Http.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/CurlRequest.h"
#include "platform/EventPump.h"
#include "platform/WarcReplay.h"

namespace platform {
namespace {

// How long a waiting user-interface thread goes without handling window events.
constexpr int kPollMs = 10;
// A busy server is tried this often in all, and waited for at most this long each time.
constexpr int kMaxTries = 3;
constexpr long kMaxRetryAfterS = 120;

bool IsBusy(const Attempt& attempt) {
    const long status = attempt.response.status;
    return (status == 429 || status == 503) && attempt.retryAfterS > 0;
}

std::string& PrefixStore() {
    static std::string prefix;
    return prefix;
}

thread_local EventPump* requestPump = nullptr;

// Threads that run transfers, kept between requests: starting a thread for every request cost
// more than the request itself to a near server. Each job gets a thread of its own, an idle
// one when there is one, so transfers never wait for each other.
class TransferThreads {
public:
    void Start(std::function<void()> job) {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        if (jobs_.size() > idle_) {
            std::thread([this] { Serve(); }).detach();
        } else {
            wake_.notify_one();
        }
    }

private:
    // An idle thread ends after this long without work, so that a burst leaves none behind.
    static constexpr std::chrono::seconds kIdleLimit{30};

    void Serve() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                ++idle_;
                const bool woken =
                    wake_.wait_for(lock, kIdleLimit, [this] { return !jobs_.empty(); });
                --idle_;
                if (!woken) {
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::size_t idle_ = 0;
};

// Never torn down: idle threads wait on it until the process ends.
TransferThreads& Threads() {
    static auto* threads = new TransferThreads();  // NOLINT: lives as long as the process
    return *threads;
}

// The address without a user name and password before its host ("http://user:pw@host/"):
// an address cut from a page must not make the program send credentials anywhere, nor, behind
// a replay prefix, spell them out in the archive's address.
std::string WithoutUserInfo(std::string address) {
    const std::size_t scheme = address.find("://");
    if (scheme == std::string::npos) {
        return address;
    }
    const std::size_t host = scheme + 3;
    const std::size_t authorityEnd = address.find_first_of("/?#", host);
    const std::size_t at = address.rfind(
        '@', authorityEnd == std::string::npos ? std::string::npos : authorityEnd - 1);
    if (at == std::string::npos || at < host) {
        return address;
    }
    return address.erase(host, at + 1 - host);
}

std::mutex refusedMutex;
std::vector<RefusedRedirect> refused;

void NoteRefused(const std::string& address, const std::string& location) {
    std::lock_guard lock(refusedMutex);
    refused.push_back({address, location});
}

// One request with its retries: a busy server is waited out, and with a replay prefix an
// error status is the archive's own page and a redirect off the archive's host is refused.
std::optional<HttpResponse> Perform(const std::string& address, Payload payload, AbortSignal& abort,
                                    BodyReceiver* receiver = nullptr,
                                    Route route = Route::Replayed) {
    const std::string prefix = ReplayPrefix();
    const bool replayed = route == Route::Replayed;
    if (replayed && IsWarcPrefix(prefix)) {
        return AnswerFromWarc(prefix, address, receiver, abort);
    }
    const std::string target = (replayed ? prefix : std::string()) + WithoutUserInfo(address);
    const std::string stayOn =
        prefix.empty() || IsWarcPrefix(prefix) ? std::string() : HostOf(target);
    for (int tries = 1;; ++tries) {
        std::optional<Attempt> attempt = PerformOnce(target, payload, abort, receiver, stayOn);
        if (!attempt) {
            return std::nullopt;
        }
        if (!attempt->offHostLocation.empty()) {
            NoteRefused(target, attempt->offHostLocation);
            return std::nullopt;
        }
        if (IsBusy(*attempt) && tries < kMaxTries) {
            const long pause = std::min(attempt->retryAfterS, kMaxRetryAfterS);
            if (!abort.SleepFor(std::chrono::seconds(pause))) {
                return std::nullopt;
            }
            continue;
        }
        if (replayed && !prefix.empty() && attempt->response.IsError()) {
            return std::nullopt;
        }
        return std::move(attempt->response);
    }
}

}  // namespace

void SetReplayPrefix(const std::string& prefix) {
    PrefixStore() = prefix;
}

const std::string& ReplayPrefix() {
    return PrefixStore();
}

std::vector<RefusedRedirect> TakeRefusedRedirects() {
    std::lock_guard lock(refusedMutex);
    return std::exchange(refused, {});
}

RequestPumpScope::RequestPumpScope(EventPump& pump) : previous_(requestPump) {
    requestPump = &pump;
}

RequestPumpScope::~RequestPumpScope() {
    requestPump = previous_;
}

EventPump* RequestPump() {
    return requestPump;
}

void StopIfRequested() {
    if (requestPump != nullptr && requestPump->StopRequested()) {
        throw RunStopped{};
    }
}

std::optional<HttpResponse> HttpGetResponse(const std::string& address) {
    if (requestPump != nullptr) {
        return HttpGetWhilePumping(address, *requestPump);
    }
    AbortSignal never;
    return Perform(address, Payload::Page, never);
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
};

HttpTransfer::HttpTransfer(std::string address, Payload payload,
                           std::shared_ptr<BodyReceiver> receiver, Route route)
    : state_(std::make_shared<State>()) {
    Threads().Start([state = state_, address = std::move(address), payload,
                     receiver = std::move(receiver), route] {
        std::optional<HttpResponse> response =
            Perform(address, payload, state->abort, receiver.get(), route);
        // Before the transfer counts as done: whoever waits for it finds the receiver finished.
        if (receiver) {
            receiver->End(response);
        }
        {
            std::lock_guard lock(state->mutex);
            state->response = std::move(response);
            state->done = true;
        }
        state->ended.notify_all();
    });
}

HttpTransfer::~HttpTransfer() {
    // The abort wakes the worker at once, wherever it waits; once done, the worker no longer
    // touches the request and goes back to wait for the next.
    Abort();
    std::unique_lock lock(state_->mutex);
    state_->ended.wait(lock, [this] { return state_->done; });
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
    if (!pump.HandlesWindowEvents()) {
        // Nothing to handle meanwhile: the request runs here, and a stop still ends it.
        AbortSignal abort([&pump] { return pump.StopRequested(); });
        std::optional<HttpResponse> response = Perform(address, Payload::Page, abort);
        if (pump.StopRequested()) {
            throw RunStopped{};
        }
        return response;
    }
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
