#include "platform/FileSystemLeftovers.h"

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>

namespace platform {
namespace {

// Process start times are counted from a boot time known to the second, and clocks get set.
constexpr double kClockSlackSeconds = 2.0;

// The moment the system started, in seconds since the epoch.
std::optional<double> BootTime() {
    std::ifstream stat("/proc/stat");
    for (std::string key; stat >> key;) {
        if (key == "btime") {
            double seconds = 0;
            return stat >> seconds ? std::optional<double>(seconds) : std::nullopt;
        }
        stat.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return std::nullopt;
}

// True when the process has ended, or when the number now belongs to a process started after
// `modified`, which cannot have made the entry.
bool LeftByEndedProcess(pid_t pid, double modified) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return ::kill(pid, 0) != 0 && errno == ESRCH;
    }
    // The program name in parentheses may hold blanks; the fields after it do not.
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    std::string state;
    fields >> state;
    if (state == "Z") {
        return true;
    }
    // The start time, in clock ticks after boot, is the 22nd field; the state is the 3rd.
    std::string field;
    for (int index = 4; index <= 22; ++index) {
        fields >> field;
    }
    const std::optional<double> boot = BootTime();
    if (!fields || !boot) {
        return false;
    }
    const double started =
        *boot + std::strtod(field.c_str(), nullptr) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    return started > modified + kClockSlackSeconds;
}

// The process number at the start of a leftover's name after the prefix, if it is one.
std::optional<pid_t> OwnerNumber(const QString& rest) {
    qsizetype digits = 0;
    while (digits < rest.size() && digits < 9 && rest[digits].isDigit()) {
        ++digits;
    }
    const bool ends =
        digits == rest.size() || rest[digits] == QChar('-') || rest[digits] == QChar('.');
    if (digits == 0 || !ends) {
        return std::nullopt;
    }
    return static_cast<pid_t>(rest.left(digits).toInt());
}

// True the first time a folder is named with this prefix in this process.
bool FirstLook(const QString& folder, const QString& prefix) {
    static std::mutex mutex;
    static std::set<QString> seen;
    const std::lock_guard lock(mutex);
    return seen.insert(QDir::cleanPath(folder) + QChar('\n') + prefix).second;
}

}  // namespace

void RemoveLeftovers(const QString& folder, const QString& prefix) {
    if (!FirstLook(folder, prefix)) {
        return;
    }
    QDirIterator entries(
        folder, {prefix + QStringLiteral("*")},
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QFileInfo entry(entries.next());
        const std::optional<pid_t> owner = OwnerNumber(entry.fileName().mid(prefix.size()));
        // Another user's entries, and links someone named like ours, are not ours to remove.
        if (!owner || entry.isSymLink() || entry.ownerId() != ::geteuid() ||
            !LeftByEndedProcess(*owner, entry.lastModified().toMSecsSinceEpoch() / 1000.0)) {
            continue;
        }
        if (entry.isDir()) {
            QDir(entry.filePath()).removeRecursively();
        } else {
            QFile::remove(entry.filePath());
        }
    }
}

}  // namespace platform
