#pragma once

struct CliRun;

// Writes the reading copy of the space at the address from what its folder beneath the
// application folder holds, without any request, and reports the start page's path as the
// label "startPage". Returns the exit code: 0 when it was written, 1 when the space has no
// folder or the copy could not be written (a message box says which), 2 with error set on
// bad usage.
int RunReadCommand(CliRun& run);

// Says on standard error that a save's record or reading copy could not be written into the
// space folder of the run's address.
void SayReadingCopyUnwritten(const CliRun& run);
