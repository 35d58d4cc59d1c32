#include "app/ReplayOption.h"

#include <cstdlib>

#include "platform/Http.h"

bool TakeReplayOption(QStringList& arguments) {
    const char* fromEnvironment = std::getenv("PAGEWREN_REPLAY");
    QString prefix =
        fromEnvironment == nullptr ? QString() : QString::fromLocal8Bit(fromEnvironment);
    const qsizetype at = arguments.indexOf(QStringLiteral("--replay"));
    if (at >= 0) {
        if (at + 1 >= arguments.size()) {
            return false;
        }
        prefix = arguments[at + 1];
        arguments.remove(at, 2);
    }
    platform::SetReplayPrefix(prefix.toStdString());
    return true;
}
