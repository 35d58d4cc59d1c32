// The articles command's JSON is met by the archive tests; here, what a user of the command
// meets on disk and in its exit status: a save beside the programs, failures, kill -9 and the
// flushing of the saved files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "RequiredTool.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "app/SpaceAddress.h"
#include "sim/SpaceGenerator.h"

namespace {

const QString kSample = kDefaultSpaceAddress;

QStringList HtmlSave(const QString& appFolder, const QString& address) {
    return {"--app-dir", appFolder, "--pace", "0",      "articles",
            address,     "--wait",  "0",      "--save", "html"};
}

// Every file or folder beneath the folder, hidden ones included, as full paths.
QStringList Entries(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        entries << it.next();
    }
    return entries;
}

// The saved articles' .html files beneath the folder, less the reading copy's pages.
QStringList SavedPages(const QString& folder) {
    QStringList pages;
    for (const QString& entry : Entries(folder).filter(".html")) {
        if (!entry.contains(kReadingFolderName) && !entry.endsWith("/" + kStartPageName)) {
            pages << entry;
        }
    }
    return pages;
}

QStringList PassingFiles(const QString& folder) {
    return Entries(folder).filter("/.pagewren-");
}

// The number of a process that has ended.
pid_t EndedPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

// Whether the file system of the folder makes files without a name.
bool MakesUnnamedFiles(const QString& folder) {
    const int fd = open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (fd >= 0) {
        close(fd);
    }
    return fd >= 0;
}

TEST(ArticlesCli, DefaultSpaceSavesWholeBesideTheProgramAndItsSettings) {
    SimFixture sim;
    TempFolder app;
    // The demo's application folder: the programs and the settings file beside the saves.
    for (const char* file : {"pagewren", "pagewren-cli", "spacesim", "blogurl.ini"}) {
        app.Write(QString::fromUtf8(file), "not a space folder");
    }
    const CliResult result = RunCli(HtmlSave(app.Path(), kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Label2: 保存完毕！图片已保存 7 张\n"), std::string::npos)
        << result.out;
    const QString folder = app.Path() + "/" + SpaceFolderName(kSample);
    EXPECT_EQ(SavedPages(folder).size(), 17);
    EXPECT_EQ(app.Read("pagewren"), "not a space folder");
}

TEST(ArticlesCli, AnArticleNotSavedInFullExitsOne) {
    SimFixture sim;
    TempFolder app;
    sim.SetFault("/jiaoliao/blog/item/a06933bce13b4524.html", "status404");
    CliResult result = RunCli(HtmlSave(app.Path(), kSample));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Label2: 保存完毕！其中 1 篇文章保存失败，图片已保存 7 张\n"),
              std::string::npos)
        << result.out;

    // Asked for Word documents where no LibreOffice is to be found.
    QTemporaryDir noOffice;
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", noOffice.path());
    cli.setProcessEnvironment(environment);
    QStringList arguments = HtmlSave(app.Path(), kSample);
    arguments.last() = "html & doc";
    cli.start(PAGEWREN_CLI_PATH, arguments);
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_TRUE(cli.readAllStandardOutput().contains("未能生成Word文档（未找到LibreOffice）"));
}

// The earlier reading copy is removed last, once the new one has taken its place; an interrupt
// that comes then still ends the run as an interrupted one. An earlier copy of many files keeps
// its removal going long enough to be interrupted.
TEST(ArticlesCli, AnInterruptWhileTheEarlierReadingCopyIsRemovedExits130) {
    SimFixture sim;
    TempFolder app;
    const QString space = app.Path() + "/" + SpaceFolderName(kSample);
    const QString earlier = space + "/" + kReadingFolderName + "/";
    ASSERT_TRUE(QDir().mkpath(earlier));
    for (int i = 0; i < 20000; ++i) {
        ASSERT_TRUE(
            QFile(earlier + QStringLiteral("earlier-%1.html").arg(i)).open(QIODevice::WriteOnly));
    }
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(PAGEWREN_CLI_PATH, HtmlSave(app.Path(), kSample));
    for (int i = 0; i < 60000 && QFile::exists(earlier + "earlier-0.html"); ++i) {
        ASSERT_FALSE(cli.waitForFinished(1)) << "the save ended without replacing the copy";
    }
    kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_EQ(SavedPages(space).size(), 17);
    EXPECT_TRUE(QFile::exists(earlier + "1.html"));
}

TEST(ArticlesCli, KilledSavesLeaveNoPassingFileAndTheNextSaveRemovesWhatEndedRunsLeft) {
    spacesim::SpaceStore spaces =
        spacesim::SpaceStore::FromFolder(spacesim::SpaceStore::DefaultFolder());
    spaces.Add(spacesim::GenerateSpace("killwren", 1000));
    spacesim::SpaceServer server(std::move(spaces));
    const int port = server.Start(0);
    ASSERT_GT(port, 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("http_proxy", "http://127.0.0.1:" + QString::number(port));
    environment.insert("no_proxy", "");
    TempFolder app;
    const QString space = app.Path() + "/killwren";
    const QStringList save = HtmlSave(app.Path(), "http://hi.baidu.com/killwren");

    // kill -9 once the save has written that many files, as a user ending it would.
    for (const int written : {40, 300, 700}) {
        QProcess cli;
        cli.setProcessEnvironment(environment);
        // Nothing reads the progress while the test waits; a full pipe would hold the save.
        cli.setStandardOutputFile(QProcess::nullDevice());
        cli.setStandardErrorFile(QProcess::nullDevice());
        cli.start(PAGEWREN_CLI_PATH, save);
        ASSERT_TRUE(cli.waitForStarted());
        for (int i = 0; i < 6000 && SavedPages(space).size() < written; ++i) {
            ASSERT_FALSE(cli.waitForFinished(5)) << "the save ended before it was killed";
        }
        kill(static_cast<pid_t>(cli.processId()), SIGKILL);
        cli.waitForFinished();
        // A first save makes only new files, each named once whole.
        if (written == 40 && MakesUnnamedFiles(app.Path())) {
            EXPECT_EQ(PassingFiles(app.Path()), QStringList());
        }
    }

    // What ended runs left, and what a run still going writes.
    QDirIterator categories(space, QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_TRUE(categories.hasNext());
    const QString folder = categories.next() + "/";
    const QString self = QString::number(getpid());
    const QString ended = folder + ".pagewren-" + QString::number(EndedPid()) + "-0.tmp";
    const QString reused = folder + ".pagewren-" + self + "-7.tmp";
    const QString live = folder + ".pagewren-" + self + "-8.tmp";
    for (const QString& file : {ended, reused, live}) {
        QFile(file).open(QIODevice::WriteOnly);
    }
    // Written long before this process started: its number has passed on since.
    const utimbuf longAgo{978307200, 978307200};
    utime(QFile::encodeName(reused).constData(), &longAgo);

    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(PAGEWREN_CLI_PATH, save);
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(PassingFiles(app.Path()), QStringList{live});
    const QStringList pages = SavedPages(space);
    EXPECT_EQ(pages.size(), 1000);
    for (const QString& page : pages) {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().endsWith("\r\n")) << page.toStdString();
    }
}

TEST(ArticlesCli, EachSavedFileIsFlushedItselfNotTheWholeDisk) {
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("strace");
    }
    SimFixture sim;
    TempFolder app;
    QTemporaryDir logFolder;
    const QString log = logFolder.filePath("calls");
    QProcess traced;
    traced.start(
        strace, QStringList{"-f", "-qq", "-e", "trace=fsync,syncfs", "-o", log, PAGEWREN_CLI_PATH} +
                    HtmlSave(app.Path(), kSample));
    ASSERT_TRUE(traced.waitForFinished(120000));
    QFile calls(log);
    if (traced.exitCode() != 0 || !calls.open(QIODevice::ReadOnly)) {
        GTEST_SKIP() << "strace cannot trace here: " << traced.readAllStandardError().toStdString();
    }
    const QByteArray trace = calls.readAll();
    EXPECT_FALSE(trace.contains("syncfs(")) << trace.toStdString();
    // The 17 articles each, then their folders.
    EXPECT_GT(trace.count("fsync("), 17) << trace.toStdString();
}

}  // namespace
