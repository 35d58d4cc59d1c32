#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Indexes the WARC files of a "warc:" prefix for the requests to come, nearest the time
// (platform::OpenWarcReplay); returns what could not be read, or nothing when the user
// stopped it.
using WarcIndexer = std::function<std::optional<std::vector<std::string>>(const std::string& prefix,
                                                                          const std::string& time)>;

// Takes "--replay PREFIX" out of the arguments, or else reads the environment variable
// PAGEWREN_REPLAY, and sends every request through that prefix (a web archive's replay
// service). A prefix "warc:PATH" names WARC files instead, indexed here, that answer every
// request; "--at YYYYMMDD[hhmmss]" then picks the captures nearest that time rather than the
// latest. Returns false, with the reason in error when given, when an option has no value or
// the time is none; what the WARC files hold that cannot be read goes into problems, when
// given, each naming its file and offset, and the rest of them is used all the same. Blanks
// around the prefix or its file names are dropped, "warc:" is read in any case, and a
// Wayback prefix that ends in its time gets the "/" it needs; a prefix that is neither a web
// address nor "warc:" is refused. The indexer, when given, indexes the WARC files instead of
// the plain indexing; when it was stopped, nothing is set and false returned.
bool TakeReplayOption(QStringList& arguments, QString* error = nullptr,
                      QStringList* problems = nullptr, const WarcIndexer& indexer = {});
