#pragma once

#include <QString>

namespace platform {
class EventPump;
}

// The longest style sheet, in characters, that the CSS window lays out and shows. Templates of
// the service were a few dozen kilobytes; the box cannot be filled in slices, and a sheet of
// this many "}" already fills it with as many lines, which takes about a second.
inline constexpr qsizetype kLargestSheet = 256 * 1024;

// The sheet one rule per line: a CR LF after every "*/", before every "/*" that the first
// insertion did not split, and after every "}", as the three replacements of the window made
// it one after the other. One pass over the sheet; it handles window events with the pump
// every so often. Throws platform::RunStopped when the pump asks the run to stop.
QString LayOutRules(const QString& sheet, platform::EventPump& pump);
