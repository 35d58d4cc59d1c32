#include <gtest/gtest.h>

#include <signal.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/Program.h"

namespace {

using platform::ProgramRun;
using platform::RunProgram;

// A shell that starts a long sleep of its own and notes the sleep's process id.
QStringList SleepingChild(const QString& pidFile) {
    return {"-c", "sleep 30 & echo $! > '" + pidFile + "'; wait"};
}

pid_t NotedPid(const QString& pidFile) {
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
}

// Running or sleeping; a killed process whose parent is gone may linger as a zombie.
bool Alive(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line[close + 2] != 'Z';
}

bool EndsSoon(pid_t pid) {
    for (int i = 0; i < 100 && Alive(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !Alive(pid);
}

TEST(RunProgram, ReportsTheExitStatus) {
    EXPECT_TRUE(RunProgram("sh", {"-c", "exit 0"}, 10000, nullptr).Succeeded());
    EXPECT_EQ(RunProgram("no-such-program-pagewren", {}, 10000, nullptr).outcome,
              ProgramRun::Outcome::NotStarted);
    const ProgramRun failed = RunProgram("sh", {"-c", "exit 3"}, 10000, nullptr);
    EXPECT_EQ(failed.outcome, ProgramRun::Outcome::Finished);
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_FALSE(failed.Succeeded());
}

TEST(RunProgram, TimeOutKillsTheProgramAndWhatItStarted) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    int waits = 0;
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = RunProgram("sh", SleepingChild(pidFile), 500, [&](int ms) {
        ++waits;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    });
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_GT(waits, 0);
    const pid_t child = NotedPid(pidFile);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(EndsSoon(child));
}

TEST(RunProgram, ThrowingWhileWaitingKillsTheProgramAndPassesTheThrowOn) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    EXPECT_THROW(RunProgram("sh", SleepingChild(pidFile), 60000,
                            [&](int) {
                                if (NotedPid(pidFile) > 0) {
                                    throw std::runtime_error("stop");
                                }
                                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                            }),
                 std::runtime_error);
    EXPECT_TRUE(EndsSoon(NotedPid(pidFile)));
}

}  // namespace
