#pragma once

struct CliRun;

// Runs the music window's playlist retrieval on the address and, with "--download", the
// download of every listed song. Reports LVmusic, Label2 and Label1. Returns the exit code:
// 1 when the playlist could not be read or a song was not saved, 2 with the run's error set
// on bad usage.
int RunMusicCommand(CliRun& run);
