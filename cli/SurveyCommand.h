#pragma once

#include <string>

struct CliOptions;
class CliReport;

// Runs the main window's survey on the address as if typed into txtblog and reports both
// lists and the six panel labels. Returns the exit code: 2 with error set on bad usage.
int RunSurveyCommand(const CliOptions& options, CliReport& report, std::string& error);
