#pragma once

#include <QString>

namespace platform {
class EventPump;
class ReportList;
}  // namespace platform

// The note a song row carries beside its address (platform::ReportList::RowNote): the title
// the playlist gave the song, references decoded; empty when it gave none.
inline constexpr int kSongTitleNote = 1;

// Lists every entry of the playlist, at least one, as a numbered row with its address and
// its title as a note, waiting 100 ms with the pump after each. Throws platform::RunStopped when
// the pump asks the run to stop.
void ListPlaylist(const QString& playlist, platform::ReportList& rows, platform::EventPump& pump);
