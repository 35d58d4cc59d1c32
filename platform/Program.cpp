#include "platform/Program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

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

// Kills and reaps the program's group unless the program was seen to end.
class RunningProgram {
public:
    explicit RunningProgram(pid_t pid) : pid_(pid) {}
    ~RunningProgram() {
        if (!reaped_) {
            Kill();
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // True once the program has ended; its status is then in `status`.
    bool Ended(int& status) {
        const pid_t result = waitpid(pid_, &status, WNOHANG);
        if (result < 0 && errno == ECHILD) {
            // Someone else collected it: how it ended is unknown, so it did not succeed.
            status = SIGKILL;
        }
        if (result == pid_ || (result < 0 && errno == ECHILD)) {
            reaped_ = true;
            // Helpers the program left behind in its group must not outlive the run.
            kill(-pid_, SIGKILL);
        }
        return reaped_;
    }

    void Kill() {
        kill(-pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }

private:
    pid_t pid_;
    bool reaped_ = false;
};

}  // namespace

ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const WhileWaiting& whileWaiting) {
    std::vector<std::string> words{QFile::encodeName(program).toStdString()};
    for (const QString& argument : arguments) {
        words.push_back(QFile::encodeName(argument).toStdString());
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    SpawnSetup setup;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attributes(), argv.data(), environ) !=
        0) {
        return {ProgramRun::Outcome::NotStarted, -1};
    }
    RunningProgram running(pid);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (!running.Ended(status)) {
        if (Clock::now() >= deadline) {
            running.Kill();
            return {ProgramRun::Outcome::TimedOut, -1};
        }
        if (whileWaiting) {
            whileWaiting(kPollMs);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }
    // posix_spawnp reports a missing program from the child on some systems: exit 127.
    if (WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        return {code == 127 ? ProgramRun::Outcome::NotStarted : ProgramRun::Outcome::Finished,
                code};
    }
    return {ProgramRun::Outcome::Finished, -1};
}

}  // namespace platform
