#include "sim/StopSignal.h"

namespace spacesim {

bool StopSignal::WaitFor(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, time, [this] { return raised_; });
}

void StopSignal::Raise() {
    {
        std::lock_guard lock(mutex_);
        raised_ = true;
    }
    changed_.notify_all();
}

void StopSignal::Clear() {
    std::lock_guard lock(mutex_);
    raised_ = false;
}

}  // namespace spacesim
