#pragma once

#include <QString>

namespace platform {
class EventPump;
class ReportList;
}  // namespace platform

// Lists every entry of the playlist, at least one, as a numbered row with its address,
// waiting 100 ms with the pump after each. Throws platform::RunStopped when the pump asks
// the run to stop.
void ListPlaylist(const QString& playlist, platform::ReportList& rows, platform::EventPump& pump);
