#include <gtest/gtest.h>

#include <signal.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "ProcessWatch.h"
#include "platform/Program.h"

namespace {

using platform::ProgramRun;
using platform::RunProgram;

// A shell that starts a long sleep of its own and notes the sleep's process id.
QStringList SleepingChild(const QString& pidFile) {
    return {"-c", "sleep 30 & echo $! > '" + pidFile + "'; wait"};
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

}  // namespace
