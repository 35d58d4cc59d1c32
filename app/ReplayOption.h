#pragma once

#include <QString>
#include <QStringList>

// Takes "--replay PREFIX" out of the arguments, or else reads the environment variable
// PAGEWREN_REPLAY, and sends every request through that prefix (a web archive's replay
// service). A prefix "warc:PATH" names WARC files instead, indexed here, that answer every
// request; "--at YYYYMMDD[hhmmss]" then picks the captures nearest that time rather than the
// latest. Returns false, with the reason in error when given, when an option has no value or
// the time is none; what the WARC files hold that cannot be read goes into problems, when
// given, each naming its file and offset, and the rest of them is used all the same.
bool TakeReplayOption(QStringList& arguments, QString* error = nullptr,
                      QStringList* problems = nullptr);
