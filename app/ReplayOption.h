#pragma once

#include <QStringList>

// Takes "--replay PREFIX" out of the arguments, or else reads the environment variable
// PAGEWREN_REPLAY, and sends every request through that prefix (a web archive's replay
// service). Returns false when the option has no value.
bool TakeReplayOption(QStringList& arguments);
