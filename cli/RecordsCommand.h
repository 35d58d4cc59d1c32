#pragma once

#include <QString>
#include <string>

struct CliOptions;
class CliReport;

// Runs the message-board ("board") or comment ("comments") window's "查看留言" on the address and,
// with "--save", its "备份留言" after it when the retrieval has enabled that button. Reports
// LVboard or LVcritique and lblmsg. Returns the exit code: 0 when the run completes, 1 when the
// save could not write its file, 2 with error set on bad usage.
int RunRecordsCommand(const CliOptions& options, CliReport& report, std::string& error);
