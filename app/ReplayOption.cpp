#include "app/ReplayOption.h"

#include <QRegularExpression>
#include <cstdlib>
#include <optional>

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

const QString kWarcScheme = QStringLiteral("warc:");

// The prefix as pasted or typed, made what the requests need: blanks around it and around
// the WARC file names dropped, "warc:" in any case, and the "/" that a Wayback prefix
// ("…/web/20120101000000id_") must end in before the archived address. Nothing for a prefix
// that is neither a web address nor "warc:" (a request through it could never be answered).
std::optional<QString> TidyPrefix(const QString& typed) {
    QString prefix = typed.trimmed();
    if (prefix.isEmpty()) {
        return prefix;
    }
    if (prefix.startsWith(kWarcScheme, Qt::CaseInsensitive)) {
        QStringList files = prefix.mid(kWarcScheme.size()).split(QChar(','));
        for (QString& file : files) {
            file = file.trimmed();
        }
        return kWarcScheme + files.join(QChar(','));
    }
    static const QRegularExpression webAddress(QStringLiteral("^https?://[^/\\s]+"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression timeWithoutSlash(QStringLiteral("/\\d{4,14}(?:[a-z]{2}_)?$"));
    if (!webAddress.match(prefix).hasMatch()) {
        return std::nullopt;
    }
    return timeWithoutSlash.match(prefix).hasMatch() ? prefix + QChar('/') : prefix;
}

}  // namespace

bool TakeReplayOption(QStringList& arguments, QString* error, QStringList* problems,
                      const WarcIndexer& indexer) {
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
    const std::optional<QString> tidy = TidyPrefix(prefix);
    if (!tidy) {
        return Refuse(error, QStringLiteral("--replay needs an archive's replay prefix "
                                            "(http://… or https://…) or warc:PATH"));
    }
    const std::string chosen = tidy->toStdString();
    if (!time.isEmpty() && !platform::IsWarcPrefix(chosen)) {
        return Refuse(error, QStringLiteral("--at goes with --replay warc:PATH"));
    }
    if (!time.isEmpty() && !platform::IsWarcTime(time.toStdString())) {
        return Refuse(error, QStringLiteral("--at needs a time, YYYYMMDD or YYYYMMDDhhmmss"));
    }
    if (platform::IsWarcPrefix(chosen)) {
        const std::optional<std::vector<std::string>> found =
            indexer ? indexer(chosen, time.toStdString())
                    : platform::OpenWarcReplay(chosen, time.toStdString());
        if (!found) {
            return Refuse(error, QStringLiteral("the indexing of the WARC files was stopped"));
        }
        for (const std::string& problem : *found) {
            if (problems != nullptr) {
                *problems << QString::fromStdString(problem);
            }
        }
    }
    platform::SetReplayPrefix(chosen);
    return true;
}
