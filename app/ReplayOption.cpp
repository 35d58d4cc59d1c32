#include "app/ReplayOption.h"

#include <cstdlib>

#include "platform/Http.h"
#include "platform/WarcReplay.h"

namespace {

// Takes "NAME VALUE" out of the arguments into value; false when the value is missing.
bool TakeValue(QStringList& arguments, const QString& name, QString& value) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0) {
        return true;
    }
    if (at + 1 >= arguments.size()) {
        return false;
    }
    value = arguments[at + 1];
    arguments.remove(at, 2);
    return true;
}

bool Refuse(QString* error, const QString& reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

}  // namespace

bool TakeReplayOption(QStringList& arguments, QString* error, QStringList* problems) {
    const char* fromEnvironment = std::getenv("PAGEWREN_REPLAY");
    QString prefix =
        fromEnvironment == nullptr ? QString() : QString::fromLocal8Bit(fromEnvironment);
    QString time;
    if (!TakeValue(arguments, QStringLiteral("--replay"), prefix)) {
        return Refuse(error, QStringLiteral("--replay needs a prefix"));
    }
    if (!TakeValue(arguments, QStringLiteral("--at"), time)) {
        return Refuse(error, QStringLiteral("--at needs a time, YYYYMMDD or YYYYMMDDhhmmss"));
    }
    const std::string chosen = prefix.toStdString();
    if (!time.isEmpty() && !platform::IsWarcPrefix(chosen)) {
        return Refuse(error, QStringLiteral("--at goes with --replay warc:PATH"));
    }
    if (!time.isEmpty() && !platform::IsWarcTime(time.toStdString())) {
        return Refuse(error, QStringLiteral("--at needs a time, YYYYMMDD or YYYYMMDDhhmmss"));
    }
    if (platform::IsWarcPrefix(chosen)) {
        for (const std::string& problem : platform::OpenWarcReplay(chosen, time.toStdString())) {
            if (problems != nullptr) {
                *problems << QString::fromStdString(problem);
            }
        }
    }
    platform::SetReplayPrefix(chosen);
    return true;
}
