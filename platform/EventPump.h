#pragma once

#include <atomic>

namespace platform {

// Thrown out of a wait when the window that started the run has been closed, so the run
// unwinds without touching its controls again.
struct RunStopped {};

// What a long action does while it waits: window events, the pace of waits, and the stop.
class EventPump {
public:
    virtual ~EventPump() = default;

    // Handles pending events, sleeping at most maxMs milliseconds while none arrive.
    virtual void PumpFor(int maxMs) = 0;

    // True once the run should end at its next wait.
    virtual bool StopRequested() const = 0;

    // Factor applied to every wait: 1 for the windows, 0 for no waits at all.
    virtual double Pace() const { return 1.0; }

    // Whether there are window events to handle while a request waits for its answer.
    virtual bool HandlesWindowEvents() const { return true; }
};

// A pump for the headless front end: sleeps, waits Pace() times as long, and stops once the
// stop flag (when one is given, e.g. raised by an interrupt) is set.
class SleepingPump : public EventPump {
public:
    explicit SleepingPump(double pace = 1.0, const std::atomic<bool>* stop = nullptr)
        : pace_(pace), stop_(stop) {}
    void PumpFor(int maxMs) override;
    bool StopRequested() const override { return stop_ != nullptr && stop_->load(); }
    double Pace() const override { return pace_; }
    bool HandlesWindowEvents() const override { return false; }

private:
    double pace_;
    const std::atomic<bool>* stop_;
};

// A pump for the windows: runs the Qt event loop while it waits, until the stop flag is set.
class QtEventPump : public EventPump {
public:
    explicit QtEventPump(const bool& stopFlag) : stopFlag_(stopFlag) {}
    void PumpFor(int maxMs) override;
    bool StopRequested() const override { return stopFlag_; }

private:
    const bool& stopFlag_;
};

}  // namespace platform
