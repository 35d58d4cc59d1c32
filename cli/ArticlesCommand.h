#pragma once

struct CliRun;

// Runs the article window's catalogue on the address ("--wait MS" stands for the wait box,
// default "200") and, with "--save FORMAT", the save in that format as the one-click box
// does, and then its pictures unless "--no-pictures" is given. Reports LVarticle, LVnum and
// Label2. Returns the exit code: 2 with error set on bad usage.
int RunArticlesCommand(CliRun& run);
