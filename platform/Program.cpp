#include "platform/Program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"

extern char** environ;

namespace platform {
namespace {

constexpr int kPollMs = 20;

// Owns the spawn attributes for the length of a start.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
        // A group of its own, so the program and whatever it starts can be killed together.
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawnattr_t* Attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

// The process groups of the programs running now, for a signal handler to kill: an interrupt
// would otherwise end this process and leave them running, since they are out of its group.
constexpr int kMaxGroups = 64;
std::atomic<pid_t> liveGroups[kMaxGroups];
static_assert(std::atomic<pid_t>::is_always_lock_free);

void TrackGroup(pid_t group) {
    for (std::atomic<pid_t>& slot : liveGroups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group)) {
            return;
        }
    }
}

void ForgetGroup(pid_t group) {
    for (std::atomic<pid_t>& slot : liveGroups) {
        pid_t tracked = group;
        if (slot.compare_exchange_strong(tracked, 0)) {
            return;
        }
    }
}

extern "C" void KillGroupsAndEnd(int signalNumber) {
    for (std::atomic<pid_t>& slot : liveGroups) {
        const pid_t group = slot.load();
        if (group > 0) {
            kill(-group, SIGKILL);
        }
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

// Only where the signal would end the process anyway: a handler or an ignore set by the
// program stays as it is.
void KillGroupsOnInterrupt() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current = {};
            if (sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
                (current.sa_flags & SA_SIGINFO) == 0) {
                struct sigaction handler = {};
                handler.sa_handler = KillGroupsAndEnd;
                sigemptyset(&handler.sa_mask);
                sigaction(signalNumber, &handler, nullptr);
            }
        }
    });
}

// Installed programs live beneath these, which no backup may join: a root user could write
// there, but the package manager owns them and a user's files would be lost with the package.
bool IsSystemProgramFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder) + QLatin1Char('/');
    return clean.startsWith(QLatin1String("/usr/")) || clean.startsWith(QLatin1String("/opt/"));
}

std::vector<std::string> CommandWords(const QString& program, const QStringList& arguments) {
    std::vector<std::string> words{QFile::encodeName(program).toStdString()};
    for (const QString& argument : arguments) {
        words.push_back(QFile::encodeName(argument).toStdString());
    }
    return words;
}

}  // namespace

BackgroundProgram::BackgroundProgram(const QString& program, const QStringList& arguments,
                                     int timeoutMs)
    : deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
    KillGroupsOnInterrupt();
    std::vector<std::string> words = CommandWords(program, arguments);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    SpawnSetup setup;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attributes(), argv.data(), environ) !=
        0) {
        ended_ = ProgramRun{ProgramRun::Outcome::NotStarted, -1};
        return;
    }
    pid_ = pid;
    TrackGroup(pid_);
}

BackgroundProgram::~BackgroundProgram() {
    if (!ended_) {
        Kill();
    }
}

std::optional<ProgramRun> BackgroundProgram::Poll() {
    if (ended_) {
        return ended_;
    }
    int status = 0;
    const pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == 0 || (result < 0 && errno == EINTR)) {
        if (std::chrono::steady_clock::now() >= deadline_) {
            Kill();
            ended_ = ProgramRun{ProgramRun::Outcome::TimedOut, -1};
        }
        return ended_;
    }
    // Helpers the program left behind in its group must not outlive the run.
    kill(-pid_, SIGKILL);
    ForgetGroup(pid_);
    if (result < 0) {
        // Someone else collected it: how it ended is unknown, so it did not succeed.
        ended_ = ProgramRun{ProgramRun::Outcome::Finished, -1};
    } else if (WIFEXITED(status)) {
        // posix_spawnp reports a missing program from the child on some systems: exit 127.
        const int code = WEXITSTATUS(status);
        ended_ = ProgramRun{
            code == 127 ? ProgramRun::Outcome::NotStarted : ProgramRun::Outcome::Finished, code};
    } else {
        ended_ = ProgramRun{ProgramRun::Outcome::Finished, -1};
    }
    return ended_;
}

void BackgroundProgram::Kill() {
    kill(-pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    ForgetGroup(pid_);
}

QString ApplicationFolder() {
    return ApplicationFolderFor(ProgramFolder());
}

QString ApplicationFolderFor(const QString& programFolder) {
    if (!IsSystemProgramFolder(programFolder) &&
        ::access(QFile::encodeName(programFolder).constData(), W_OK | X_OK) == 0) {
        return programFolder;
    }
    // A visible folder among the user's documents: backups are files the user opens, copies
    // and keeps, not data of the program's own.
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Pagewren");
}

bool MakeApplicationFolder(const QString& folder) {
    return QDir().mkpath(folder);
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const WhileWaiting& whileWaiting) {
    BackgroundProgram running(program, arguments, timeoutMs);
    for (;;) {
        if (const std::optional<ProgramRun> ended = running.Poll()) {
            return *ended;
        }
        if (whileWaiting) {
            whileWaiting(kPollMs);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }
}

}  // namespace platform
