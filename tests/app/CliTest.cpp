#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDirIterator>
#include <QFileInfo>
#include <QThread>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "ChildProcess.h"
#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"

namespace {

// Every file of the reading copy (the reading folder and the start page) with its bytes.
std::map<QString, std::string> ReadingCopy(const TempFolder& app) {
    std::map<QString, std::string> files;
    const QString space = app.Path() + "/jiaoliao/";
    QDirIterator it(space + kReadingFolderName, QDir::Files);
    while (it.hasNext()) {
        const QString path = QDir(app.Path()).relativeFilePath(it.next());
        files[path] = app.Read(path);
    }
    files[kStartPageName] = app.Read("jiaoliao/" + kStartPageName);
    return files;
}

// Whether the process waits to open a named pipe for reading, waiting at most ten seconds
// for it to get there.
bool BlockedOpeningAPipe(pid_t pid) {
    for (int waited = 0; waited < 10000; waited += 10) {
        std::ifstream wchan("/proc/" + std::to_string(pid) + "/wchan");
        std::string where;
        std::getline(wchan, where);
        if (where.find("partner") != std::string::npos || where.find("fifo") != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The survey's facts are the logic's; here only what the program adds: JSON Lines with labels
// as they change and the rows after them, or readable lines, and exit codes.
TEST(CliSurvey, JsonLinesShowLabelsAsTheyChangeThenTheRows) {
    SimFixture sim;
    TempFolder app;
    const CliResult result = RunCli({"--app-dir", app.Path(), "--pace", "0", "--json", "survey",
                                     "http://hi.baidu.com/jiaoliao"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = JsonLines(result.out);
    EXPECT_TRUE(lines.front().contains("label"));
    EXPECT_TRUE(lines.back().contains("list"));
    EXPECT_EQ(ListRows(lines, "LVarticle").size(), 4u);
    EXPECT_EQ(ListRows(lines, "LVmusic").size(), 3u);
    EXPECT_EQ(ListRows(lines, "LVarticle")[0][0], "1");
    const auto labels = FinalLabels(lines);
    EXPECT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels.at("lblboard"), "您的百度空间共有 23 条留言");

    const CliResult readable =
        RunCli({"--app-dir", app.Path(), "--pace", "0", "survey", "http://hi.baidu.com/quietwren"});
    ASSERT_EQ(readable.exitCode, 0) << readable.err;
    EXPECT_NE(readable.out.find("lblpinglun: 您的百度空间没有文章评论"), std::string::npos)
        << readable.out;
}

TEST(CliUsage, BadUsageExitsWithTwoSaysWhyAndRequestsNothing) {
    SimFixture sim;
    TempFolder app;
    app.Write("blogurl.ini", "");
    const QString space = QStringLiteral("http://hi.baidu.com/jiaoliao");
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"survey"}, QStringList{"--pace", "fast", "survey", "x"},
          QStringList{"--bogus", "survey", "x"}, QStringList{"dance", space},
          QStringList{"--app-dir", app.Path() + "/missing", "survey", "x"},
          QStringList{"articles", space, "--save", "pdf"},
          QStringList{"articles", space, "--save", "HTML"},
          QStringList{"articles", space, "--wait"}, QStringList{"articles", space, "--bogus", "1"},
          QStringList{"articles", space, "extra"}, QStringList{"music", space, "--bogus"},
          QStringList{"--replay", "nonsense", "survey", space}, QStringList{"survey", "quietwren"},
          QStringList{"--replay", "ftp://archive.test/", "survey", space},
          // Values that would wait for ever, never, or ask what can never answer.
          QStringList{"articles", space, "--wait", "abc"},
          QStringList{"articles", space, "--wait", "-5"},
          QStringList{"articles", space, "--wait", "99999999999"},
          QStringList{"--pace", "1e308", "survey", space},
          QStringList{"--pace", "nan", "survey", space},
          QStringList{"--cdx", "file:///etc/passwd", "survey", space},
          QStringList{"--cdx", "ftp://archive.test/cdx", "survey", space},
          QStringList{"--app-dir", app.Path() + "/blogurl.ini", "survey", space},
          QStringList{"survey", "ftp://hi.baidu.com/jiaoliao"},
          QStringList{"survey", "http://hi.baidu.com:99999/jiaoliao"},
          QStringList{"survey", "http://example.test/jiaoliao"}}) {
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
    EXPECT_TRUE(sim.Requests().empty());
}

// Bytes that are no UTF-8 would be read as other characters: an address or a folder written
// so is refused before any request, rather than taken for another space or for the folder
// whose name holds the replacement character.
TEST(CliUsage, ArgumentsThatAreNoUtf8) {
    SimFixture sim;
    TempFolder app;
    const std::string latin1 = app.Path().toStdString() + "/caf\xe9";
    ASSERT_EQ(mkdir(latin1.c_str(), 0755), 0);
    ASSERT_TRUE(QDir().mkdir(app.Path() + QStringLiteral("/caf\uFFFD")));
    const std::vector<std::vector<std::string>> lines = {
        {"--app-dir", app.Path().toStdString(), "survey", "http://hi.baidu.com/caf\xe9"},
        {"--app-dir", latin1, "survey", "http://hi.baidu.com/jiaoliao"}};
    for (const std::vector<std::string>& line : lines) {
        const ChildRun run = RunCliChild(line);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find("not UTF-8"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(sim.Requests().empty());
    EXPECT_TRUE(app.Files().isEmpty());
    rmdir(latin1.c_str());
}

// The signal handlers come first: an interrupt or termination while WARC files are indexed
// (here a named pipe that nobody writes, which holds the indexing for ever) ends the run as
// any other interrupt does, also for a run started in the background, whose shell has it
// ignore SIGINT.
TEST(CliInterrupt, DuringTheIndexingOfWarcFiles) {
    TempFolder app;
    const std::string pipe = app.Path().toStdString() + "/held.warc";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& [signalNumber, background] :
         {std::pair(SIGTERM, false), std::pair(SIGINT, true)}) {
        ChildProcess cli(PAGEWREN_CLI_PATH,
                         {"--app-dir", app.Path().toStdString(), "--replay", "warc:" + pipe,
                          "survey", "http://hi.baidu.com/jiaoliao"},
                         ChildSetup{.fileSizeLimit = std::nullopt, .interruptIgnored = background});
        ASSERT_TRUE(BlockedOpeningAPipe(cli.Pid()));
        cli.Signal(signalNumber);
        const std::optional<ChildRun> run = cli.WaitFor(std::chrono::seconds(10));
        ASSERT_TRUE(run.has_value()) << "still running after the signal";
        EXPECT_EQ(run->exitCode, 130) << "ended by signal " << run->signal;
    }
}

// `read` of a space of thousands of articles, interrupted while it writes the new copy: the
// run ends with 130, the earlier copy whole in its place and no half-written one left.
TEST(CliInterrupt, ReadLeavesTheEarlierCopyWhole) {
    TempFolder app;
    const QString space = QStringLiteral("http://hi.baidu.com/jiaoliao");
    QDir().mkpath(app.Path() + "/jiaoliao/随笔");
    for (int i = 1; i <= 5000; ++i) {
        app.Write(QStringLiteral("jiaoliao/随笔/%1 第%1篇.html").arg(i),
                  "<p>article " + std::to_string(i) + "</p>");
    }
    ASSERT_EQ(RunCli({"--app-dir", app.Path(), "read", space}).exitCode, 0);
    const auto earlier = ReadingCopy(app);
    ASSERT_GT(earlier.size(), 5000u);

    app.Write(QStringLiteral("jiaoliao/随笔/5001 第5001篇.html"), "<p>a new one</p>");
    ChildProcess cli(PAGEWREN_CLI_PATH,
                     {"--app-dir", app.Path().toStdString(), "read", space.toStdString()});
    const QDir folder(app.Path() + "/jiaoliao");
    const QStringList passing{kReadingFolderName + "~*"};
    for (int waited = 0; folder.entryList(passing, QDir::Dirs).isEmpty() && waited < 20000;
         ++waited) {
        QThread::msleep(1);
    }
    ASSERT_FALSE(folder.entryList(passing, QDir::Dirs).isEmpty()) << "no new copy was begun";
    cli.Signal(SIGINT);
    const std::optional<ChildRun> run = cli.WaitFor(std::chrono::seconds(30));
    ASSERT_TRUE(run.has_value());
    EXPECT_EQ(run->exitCode, 130);
    EXPECT_TRUE(ReadingCopy(app) == earlier);
    EXPECT_TRUE(folder.entryList(passing, QDir::Dirs).isEmpty());
}

// A save that wrote nothing (here every write fails, as on a full disk) says so and does not
// say where its files went.
TEST(CliSave, NothingSavedSaysNothingWasSaved) {
    SimFixture sim;
    TempFolder app;
    const ChildRun run = RunCliChild({"--app-dir", app.Path().toStdString(), "--pace", "0", "css",
                                      "http://hi.baidu.com/jiaoliao", "--save"},
                                     ChildSetup{.fileSizeLimit = 0, .interruptIgnored = false});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("无法写入文件"), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("saved beneath"), std::string::npos) << run.err;

    const ChildRun saved = RunCliChild({"--app-dir", app.Path().toStdString(), "--pace", "0", "css",
                                        "http://hi.baidu.com/jiaoliao", "--save"});
    EXPECT_EQ(saved.exitCode, 0);
    EXPECT_NE(saved.err.find("saved beneath"), std::string::npos) << saved.err;
}

}  // namespace
