#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Http.h"

namespace platform {

// Raised to end a request early: a transfer under way and a wait for a busy server end at
// once.
class AbortSignal {
public:
    AbortSignal() = default;
    // Also raised whenever the check says so; it is asked at least every 50 ms.
    explicit AbortSignal(std::function<bool()> check) : check_(std::move(check)) {}

    bool Raised() const { return raised_.load() || (check_ && check_()); }
    void Raise();

    // Sleeps for the duration unless raised meanwhile; returns false when raised.
    bool SleepFor(std::chrono::seconds duration);

    // The transfer to wake when raised (an opaque curl multi handle), or none.
    void Attach(void* transfer);

private:
    std::atomic<bool> raised_{false};
    std::function<bool()> check_;
    std::mutex mutex_;
    std::condition_variable wake_;
    void* transfer_ = nullptr;
};

// One answer, and for a busy server how long it asked to be left alone.
struct Attempt {
    HttpResponse response;
    long retryAfterS = 0;
    // Where a redirect off the host the request had to stay on led; the redirect was not
    // followed and the response is its answer. Empty when no redirect was refused.
    std::string offHostLocation;
};

// Sends one GET of the address (no retries) and waits for the whole answer, within the
// limits of its kind, following at most 10 redirects; a successful body goes to the receiver
// when one is given. With stayOnHost, a redirect to any other host (its name compared without
// case, any port or scheme) is not followed (see offHostLocation). Connections are kept and
// shared between requests. Returns nothing when the request fails or is aborted.
std::optional<Attempt> PerformOnce(const std::string& address, Payload payload, AbortSignal& abort,
                                   BodyReceiver* receiver = nullptr,
                                   const std::string& stayOnHost = {});

// The host name of a web address in lower case; empty when it names none.
std::string HostOf(const std::string& address);

}  // namespace platform
