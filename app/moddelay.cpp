#include "app/moddelay.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "platform/EventPump.h"

namespace {

// Sleeps in slices this short so that an edited wait text or a stop is noticed quickly.
constexpr double kSliceMs = 15.0;

std::optional<double> ParseMilliseconds(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    // "inf", "nan" and "1e400" convert, but no wait is that long; they are no number here.
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool Delay(short count, const WaitText& milliseconds, platform::EventPump& pump) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (;;) {
        const auto perUnit = ParseMilliseconds(milliseconds());
        if (!perUnit) {
            return false;
        }
        const double limit = *perUnit * count * pump.Pace();
        const double elapsed =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        // Even a wait of nothing is a point where a stop asked for ends the run.
        if (!(limit > elapsed)) {
            if (pump.StopRequested()) {
                throw platform::RunStopped{};
            }
            return true;
        }
        pump.PumpFor(static_cast<int>(std::clamp(limit - elapsed, 1.0, kSliceMs)));
        if (pump.StopRequested()) {
            throw platform::RunStopped{};
        }
    }
}

bool Delay(short count, const QString& milliseconds, platform::EventPump& pump) {
    return Delay(count, WaitText([&milliseconds] { return milliseconds; }), pump);
}
