#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "TestFiles.h"
#include "platform/EventPump.h"
#include "platform/Shell.h"

namespace {

TEST(ShellTest, WithoutAHandlerTheDesktopOpenerGetsTheFolder) {
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    // A stand-in opener on the PATH records its argument instead of starting a file browser.
    const QString record = bin.filePath(QStringLiteral("opened.txt"));
    const QString opener = bin.filePath(QStringLiteral("xdg-open"));
    ASSERT_TRUE(PutFileBytes(opener, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + record.toStdString() +
                                         ".part\" && mv \"" + record.toStdString() + ".part\" \"" +
                                         record.toStdString() + "\"\n"));
    ASSERT_TRUE(
        QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.path().toStdString() + ":" + oldPath).c_str(), 1);
    platform::OpenFolder(QStringLiteral("/home/u/pagewren/小明/"));
    setenv("PATH", oldPath.c_str(), 1);
    for (int i = 0; i < 200 && !QFile::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_EQ(FileBytes(record), "/home/u/pagewren/小明/");
}

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class QtEventPumpTest : public ::testing::Test {
protected:
    int argc_ = 1;
    char name_[15] = "platform_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};
};

TEST_F(QtEventPumpTest, WaitingDoesNotKeepTheProcessorBusy) {
    bool stop = false;
    platform::QtEventPump pump(stop);
    const double before = ProcessorSeconds();
    for (int i = 0; i < 20; ++i) {
        pump.PumpFor(15);
    }
    // Spinning through 300 ms would cost about 300 ms of processor time.
    EXPECT_LT(ProcessorSeconds() - before, 0.1);
}

}  // namespace
