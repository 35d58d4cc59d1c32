#pragma once

#include <QString>

// A problem met reading WARC, ARC or WACZ files (as platform::OpenWarcReplay says it, in
// English for the CLI) said in Chinese for the window program; file names, numbers and zlib's
// own reasons are kept as they are.
QString WarcProblemInChinese(const QString& problem);
