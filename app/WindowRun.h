#pragma once

#include <functional>

#include "platform/EventPump.h"

// One window's long action. Keeps a second press from starting a run inside the first,
// and lets closing the window stop the run at its next wait.
class WindowRun {
public:
    // Runs the work unless a run is already going; returns false when it did not start.
    // A run stopped by RequestStop ends quietly, and then onStopped is called.
    bool Start(const std::function<void()>& work);

    bool IsActive() const { return active_; }

    // The pump a run waits with: window events, and the stop once the window is closed.
    platform::EventPump& Pump() { return pump_; }
    bool StopRequested() const { return stop_; }

    // Asks the current run (and any later one) to end at its next wait.
    void RequestStop() { stop_ = true; }

    // Called once a run has unwound after a stop, e.g. to discard the window.
    void SetOnStopped(std::function<void()> onStopped) { onStopped_ = std::move(onStopped); }

private:
    bool active_ = false;
    bool stop_ = false;
    platform::QtEventPump pump_{stop_};
    std::function<void()> onStopped_;
};
