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
};

// Sends one GET of the address (no retries) and waits for the whole answer, within the
// limits of its kind; a successful body goes to the receiver when one is given. Connections
// are kept and shared between requests. Returns nothing when the request fails or is aborted.
std::optional<Attempt> PerformOnce(const std::string& address, Payload payload, AbortSignal& abort,
                                   BodyReceiver* receiver = nullptr);

}  // namespace platform
