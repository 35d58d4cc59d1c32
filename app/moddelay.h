#pragma once

#include <QString>
#include <functional>

namespace platform {
class EventPump;
}

// Supplies the milliseconds text afresh on every pass of a wait (a live control text).
using WaitText = std::function<QString()>;

// Waits count times the milliseconds that the text spells, handling window events
// meanwhile and reading the text again on every pass. Returns false without waiting when
// the text is not a finite number ("inf", "nan" and "1e400" are not). Throws platform::RunStopped
// when the pump asks the run to stop.
bool Delay(short count, const WaitText& milliseconds, platform::EventPump& pump);

// The same for a fixed text such as "100".
bool Delay(short count, const QString& milliseconds, platform::EventPump& pump);
