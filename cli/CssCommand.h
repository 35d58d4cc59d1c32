#pragma once

struct CliRun;

// Runs the CSS window's fetch on the address and, with "--save", its save when the fetch
// enabled it. Reports txtcss and every message box shown. Returns the exit code: 0 when
// everything asked for was done, 1 when the fetch or the save failed, 2 with error set on bad
// usage.
int RunCssCommand(CliRun& run);
