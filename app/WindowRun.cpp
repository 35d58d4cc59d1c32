#include "app/WindowRun.h"

#include "platform/Http.h"

bool WindowRun::Start(const std::function<void()>& work) {
    if (active_ || stop_) {
        return false;
    }
    active_ = true;
    try {
        // The run's requests handle window events while they wait, and end when it stops.
        const platform::RequestPumpScope requests(pump_);
        work();
    } catch (const platform::RunStopped&) {
        // The window was closed during a wait; nothing more of the run may happen.
    }
    active_ = false;
    if (stop_ && onStopped_) {
        onStopped_();
    }
    return true;
}
