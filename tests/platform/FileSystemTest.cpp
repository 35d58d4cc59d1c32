#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "TestFiles.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemLeftovers.h"

namespace {

using platform::CreateFolder;
using platform::PathExists;
using platform::WriteAnsiLines;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
    QString Path(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
};

TEST_F(FileSystemTest, LinesAreWrittenInTheCodePageWithCrLfReplacingTheOldFileWhole) {
    const QString path = Path(QStringLiteral("留言版.htm"));
    const std::string old(500, 'x');
    ASSERT_TRUE(PutFileBytes(path, old));
    // A second name of the old file shows whether it was written over or replaced.
    const QString link = Path(QStringLiteral("link"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    {
        // A write given up half way, as a failed or interrupted save gives it up.
        platform::ReplacingFile abandoned(path);
        ASSERT_TRUE(abandoned.Open());
        ASSERT_TRUE(abandoned.Write("half", 4));
    }
    EXPECT_EQ(FileBytes(path), old);
    ASSERT_TRUE(WriteAnsiLines(
        path, {QStringLiteral("<p>小明</p>"), QString(), QStringLiteral("€ and 한")}));
    EXPECT_EQ(FileBytes(path), "<p>\xD0\xA1\xC3\xF7</p>\r\n\r\n\x80 and ?\r\n");
    EXPECT_EQ(FileBytes(link), old);
    // The name lies on disk in the file system's own encoding, where other programs find it.
    EXPECT_TRUE(std::filesystem::exists(folder_.path().toStdString() + "/留言版.htm"));
    ASSERT_TRUE(WriteAnsiLines(path, {}));
    EXPECT_EQ(FileBytes(path), "");
}

TEST_F(FileSystemTest, NothingButTheFileIsLeftBesideIt) {
    const QString path = Path(QStringLiteral("a.txt"));
    ASSERT_TRUE(PutFileBytes(path, "old"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(WriteAnsiLines(path, {QStringLiteral("new")}));
    // Neither a folder in the file's place nor a missing folder takes the file.
    ASSERT_TRUE(CreateFolder(Path(QStringLiteral("dir"))));
    EXPECT_FALSE(WriteAnsiLines(Path(QStringLiteral("dir")), {QStringLiteral("x")}));
    EXPECT_FALSE(WriteAnsiLines(Path(QStringLiteral("missing/a.txt")), {QStringLiteral("x")}));
    EXPECT_EQ(
        QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({QStringLiteral("a.txt"), QStringLiteral("dir")}));
    // A file others could not read before stays so.
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadOther | QFile::ReadGroup),
              QFile::Permissions());
    EXPECT_TRUE(platform::SyncFolder(folder_.path()));
    EXPECT_FALSE(platform::SyncFolder(Path(QStringLiteral("no such folder"))));
}

TEST_F(FileSystemTest, LeftoversOfEndedRunsGoWhileThoseOfRunningOnesAndOthersStay) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const QString ended = QString::number(child);
    const QString running = QString::number(getpid());
    const QStringList names{"pagewren-doc-" + ended + "-aB3xYz",   "pagewren-doc-" + ended,
                            "pagewren-doc-" + running + "-q1w2e3", "pagewren-doc-x",
                            "pagewren-doc-" + ended + "x",         "other-" + ended};
    for (const QString& name : names) {
        ASSERT_TRUE(QDir().mkpath(Path(name + "/inner")));
        ASSERT_TRUE(PutFileBytes(Path(name + "/inner/a.html"), "page"));
    }
    platform::RemoveLeftovers(folder_.path(), "pagewren-doc-");
    QStringList staying = names.mid(2);
    staying.sort();
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
              staying);
}

TEST_F(FileSystemTest, FoldersAreMadeOneLevelAtATimeAndFoundWithOrWithoutASeparator) {
    const QString space = Path(QStringLiteral("小明"));
    EXPECT_FALSE(CreateFolder(space + QStringLiteral("/a")));
    EXPECT_FALSE(PathExists(space));
    ASSERT_TRUE(CreateFolder(space + QStringLiteral("/")));
    EXPECT_FALSE(CreateFolder(space));
    EXPECT_TRUE(PathExists(space));
    EXPECT_TRUE(PathExists(space + QStringLiteral("/")));
    ASSERT_TRUE(WriteAnsiLines(space + QStringLiteral("/a.txt"), {}));
    EXPECT_TRUE(PathExists(space + QStringLiteral("/a.txt")));
    EXPECT_FALSE(PathExists(space + QStringLiteral("/b.txt")));
    EXPECT_FALSE(PathExists(QString()));
    EXPECT_FALSE(CreateFolder(QString()));
    EXPECT_TRUE(CreateFolder(space + QStringLiteral("/a")));
}

TEST(ProgramFolderTest, IsTheFolderHoldingTheTestProgram) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    const QString withoutApp = platform::ProgramFolder();
    EXPECT_TRUE(QFile::exists(withoutApp + QStringLiteral("/platform_tests")));
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    EXPECT_EQ(platform::ProgramFolder(), withoutApp);
}

}  // namespace
