#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace spacesim {

// Lets waits inside request handlers end early when the server stops.
class StopSignal {
public:
    // Waits the time; returns false at once, or as soon as Raise is called, when stopping.
    bool WaitFor(std::chrono::milliseconds time);

    // Ends every wait now and makes later waits return at once.
    void Raise();

    // Lets waits run their full time again.
    void Clear();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

}  // namespace spacesim
