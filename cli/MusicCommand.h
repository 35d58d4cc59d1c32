#pragma once

#include <string>

struct CliOptions;
class CliReport;

// Runs the music window's playlist retrieval on the address and, with "--download", the
// download of every listed song. Reports LVmusic, Label2 and Label1. Returns the exit code:
// 2 with error set on bad usage.
int RunMusicCommand(const CliOptions& options, CliReport& report, std::string& error);
