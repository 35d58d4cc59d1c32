#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// How a child ran: its exit status (or the signal that ended it), its peak memory as the
// kernel counted it, and what it printed.
struct ChildRun {
    int exitCode = -1;  // -1 when it did not exit by itself
    int signal = 0;     // the signal that ended it, 0 when it exited
    long peakKb = 0;    // the largest resident set it had, in KB
    std::string out;
    std::string err;
};

// What a child starts with beyond the test's environment.
struct ChildSetup {
    // Writes beyond this many bytes fail (as on a full disk) instead of ending the child.
    std::optional<rlim_t> fileSizeLimit;
    // SIGINT ignored, as a shell starts a command run in the background.
    bool interruptIgnored = false;
};

// A program run with its arguments passed on as bytes (as a shell hands them over, not
// necessarily UTF-8). Its own peak memory comes from wait4, so that nothing else this process
// started counts; its output comes through pipes, which no file size limit touches. Dropped
// while it runs, it is killed.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildSetup& setup = {}) {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        int out[2] = {-1, -1};
        int err[2] = {-1, -1};
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            // Only calls that are safe between fork and exec.
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            if (setup.fileSizeLimit) {
                const rlimit limit{*setup.fileSizeLimit, *setup.fileSizeLimit};
                setrlimit(RLIMIT_FSIZE, &limit);
                signal(SIGXFSZ, SIG_IGN);
            }
            if (setup.interruptIgnored) {
                signal(SIGINT, SIG_IGN);
            }
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }

    ~ChildProcess() {
        if (!ended_ && pid_ > 0) {
            kill(pid_, SIGKILL);
            WaitFor(std::chrono::seconds(10));
        }
        for (const int fd : {out_, err_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }

    // Sends the child a signal.
    void Signal(int number) const { kill(pid_, number); }

    // How the child ran once it has ended, waiting at most the time; nothing while it runs.
    std::optional<ChildRun> WaitFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (!ended_) {
            Drain(10);
            int status = 0;
            rusage usage{};
            if (wait4(pid_, &status, WNOHANG, &usage) == pid_) {
                ended_ = true;
                run_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                run_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                run_.peakKb = usage.ru_maxrss;
            } else if (pid_ <= 0 || std::chrono::steady_clock::now() >= end) {
                return std::nullopt;
            }
        }
        while (Drain(0)) {
        }
        return run_;
    }

private:
    // Reads what the pipes hold, waiting at most the time for something; false when nothing
    // came.
    bool Drain(int waitMs) {
        pollfd fds[] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (poll(fds, 2, waitMs) <= 0) {
            return false;
        }
        bool read = false;
        std::string* into[] = {&run_.out, &run_.err};
        for (int i = 0; i < 2; ++i) {
            char buffer[65536];
            const ssize_t count = (fds[i].revents & (POLLIN | POLLHUP)) != 0
                                      ? ::read(fds[i].fd, buffer, sizeof(buffer))
                                      : 0;
            if (count > 0) {
                into[i]->append(buffer, static_cast<std::size_t>(count));
                read = true;
            }
        }
        return read;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool ended_ = false;
    ChildRun run_;
};

// Runs the built pagewren-cli (PAGEWREN_CLI_PATH) that way and waits at most two minutes.
inline ChildRun RunCliChild(const std::vector<std::string>& arguments,
                            const ChildSetup& setup = {}) {
    ChildProcess child(PAGEWREN_CLI_PATH, arguments, setup);
    return child.WaitFor(std::chrono::minutes(2)).value_or(ChildRun{});
}
