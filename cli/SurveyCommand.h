#pragma once

struct CliRun;

// Runs the main window's survey on the address as if typed into txtblog and reports both
// lists and the six panel labels. Returns the exit code: 2 with the run's error set on bad usage.
int RunSurveyCommand(CliRun& run);
