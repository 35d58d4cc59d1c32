#pragma once

struct CliRun;

// Runs the message-board ("board") or comment ("comments") window's "查看留言" on the address and,
// with "--save", its "备份留言" after it when the retrieval has enabled that button. Reports
// LVboard or LVcritique and lblmsg. Returns the exit code: 0 when the run completes, 1 when the
// address names no space, a page could not be read or the save did not write its file, 2
// with the run's error set on bad usage.
int RunRecordsCommand(CliRun& run);
