#pragma once

#include <string>

struct CliOptions;
class CliReport;
namespace platform {
class EventPump;
}

// One command's run: what was asked for, what it shows, and the pump its waits and requests
// use (which ends the run when the user interrupts it).
struct CliRun {
    const CliOptions& options;
    CliReport& report;
    platform::EventPump& pump;
    std::string error;            // set with exit code 2 on bad usage
    bool savedSomething = false;  // a save of the command wrote some file of its own
};

// The exit code of a run in which something it was asked to fetch or save failed, or whose
// address names no space.
inline constexpr int kRunFailed = 1;

// The exit code of bad usage.
inline constexpr int kBadUsage = 2;
