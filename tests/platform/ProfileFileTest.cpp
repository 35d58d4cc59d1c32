#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "TestFiles.h"
#include "platform/ProfileFile.h"

namespace {

using platform::ReadProfileString;
using platform::WriteProfileString;

// "空间地址" and "其他" in code page 936.
const std::string kSection = "\xBF\xD5\xBC\xE4\xB5\xD8\xD6\xB7";
const std::string kOther = "\xC6\xE4\xCB\xFB";
const QString kSectionName = QStringLiteral("空间地址");
const QString kKey = QStringLiteral("blogurl");

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
    QString Path(const QString& name = QStringLiteral("blogurl.ini")) const {
        return folder_.filePath(name);
    }
    QString Read(const QString& key = kKey, int maxBytes = 999) const {
        return ReadProfileString(Path(), kSectionName, key, maxBytes);
    }

    QTemporaryDir folder_;
};

TEST_F(ProfileFileTest, ReadsLikeTheWindowsProfileCalls) {
    const struct {
        std::string file;
        QString value;
    } cases[] = {
        {"; saved by hand\r\n[" + kSection +
             "]\r\nblogurl=http://hi.example.com/\xD0\xA1\xC3\xF7\r\n",
         QStringLiteral("http://hi.example.com/小明")},
        {"[" + kOther + "]\r\nblogurl=elsewhere\r\n", QString()},
        {"[" + kSection + "]\r\nother=1\r\n", QString()},
        // Key names ignore case, spaces around '=' are dropped, and so are enclosing quotes.
        {"[" + kSection + "]\r\nBlogUrl = \"http://a/b\" \r\n", QStringLiteral("http://a/b")},
        // The first of two keys counts.
        {"[" + kSection + "]\r\nblogurl=http://a/1\r\nBLOGURL=http://a/2\r\n",
         QStringLiteral("http://a/1")},
        // Values are cut to the buffer.
        {"[" + kSection + "]\r\nblogurl=" + std::string(1200, 'a') + "\r\n", QString(999, 'a')},
    };
    EXPECT_EQ(Read(), QString());
    for (const auto& c : cases) {
        ASSERT_TRUE(PutFileBytes(Path(), c.file));
        EXPECT_EQ(Read(), c.value) << c.file;
    }
    EXPECT_EQ(Read(kKey, 5), QStringLiteral("aaaaa"));
}

TEST_F(ProfileFileTest, WritingSetsTheKeyInTheCodePageAndKeepsTheRest) {
    ASSERT_TRUE(WriteProfileString(Path(), kSectionName, kKey, QStringLiteral("http://a/小明")));
    EXPECT_EQ(FileBytes(Path()), "[" + kSection + "]\r\nblogurl=http://a/\xD0\xA1\xC3\xF7\r\n");

    ASSERT_TRUE(PutFileBytes(Path(), "[" + kOther + "]\r\nkey=\xD6\xB5\r\n\r\n[" + kSection +
                                         "]\r\nblogurl=http://old/\r\nextra=1\r\n"));
    ASSERT_TRUE(WriteProfileString(Path(), kSectionName, kKey, QStringLiteral("http://new/")));
    EXPECT_EQ(FileBytes(Path()), "[" + kOther + "]\r\nkey=\xD6\xB5\r\n\r\n[" + kSection +
                                     "]\r\nblogurl=http://new/\r\nextra=1\r\n");

    // A missing section is added at the end.
    ASSERT_TRUE(PutFileBytes(Path(), "[" + kOther + "]\r\nkey=1\r\n"));
    ASSERT_TRUE(WriteProfileString(Path(), kSectionName, kKey, QStringLiteral("http://a/b")));
    EXPECT_EQ(FileBytes(Path()),
              "[" + kOther + "]\r\nkey=1\r\n\r\n[" + kSection + "]\r\nblogurl=http://a/b\r\n");

    // Lines the file format does not know, comments, spacing and line ends stay as they were;
    // only the first entry of the key changes, and a missing key joins the end of its section.
    const struct {
        std::string before;
        std::string after;
    } rewrites[] = {
        {"; by hand\n[" + kSection + "]\n  BlogUrl = old ; note\nodd line\nblogurl=2\n",
         "; by hand\n[" + kSection + "]\n  BlogUrl =http://new/\nodd line\nblogurl=2\n"},
        {"[" + kSection + "]\r\nwidth = 10  \r\n\r\n[" + kOther + "]\r\nblogurl=x",
         "[" + kSection + "]\r\nwidth = 10  \r\nblogurl=http://new/\r\n\r\n[" + kOther +
             "]\r\nblogurl=x"},
        {"garbage without a section",
         "garbage without a section\r\n\r\n[" + kSection + "]\r\nblogurl=http://new/\r\n"},
    };
    for (const auto& r : rewrites) {
        ASSERT_TRUE(PutFileBytes(Path(), r.before));
        ASSERT_TRUE(WriteProfileString(Path(), kSectionName, kKey, QStringLiteral("http://new/")));
        EXPECT_EQ(FileBytes(Path()), r.after) << r.before;
        EXPECT_EQ(Read(), QStringLiteral("http://new/")) << r.before;
    }

    // Characters outside the code page are stored as question marks.
    ASSERT_TRUE(WriteProfileString(Path(), kSectionName, kKey, QStringLiteral("http://a/한😀")));
    EXPECT_EQ(Read(), QStringLiteral("http://a/??"));
}

TEST_F(ProfileFileTest, WriteReportsAFolderThatCannotTakeTheFile) {
    EXPECT_FALSE(WriteProfileString(folder_.filePath(QStringLiteral("missing/blogurl.ini")),
                                    kSectionName, kKey, QStringLiteral("http://a/b")));
    // A folder standing where the file should be.
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("taken.ini")));
    EXPECT_FALSE(WriteProfileString(Path(QStringLiteral("taken.ini")), kSectionName, kKey,
                                    QStringLiteral("http://a/b")));
}

TEST_F(ProfileFileTest, WriteReportsAReadOnlyFolderOrFile) {
    if (!PermissionsApply()) {
        GTEST_SKIP() << "running as the superuser, whom permission bits do not stop";
    }
    const QString locked = folder_.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("locked")));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    const bool written = WriteProfileString(locked + QStringLiteral("/blogurl.ini"), kSectionName,
                                            kKey, QStringLiteral("http://a/b"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(written);

    const std::string before = "[" + kSection + "]\r\nblogurl=http://old/\r\n";
    ASSERT_TRUE(PutFileBytes(Path(), before));
    ASSERT_TRUE(QFile::setPermissions(Path(), QFile::ReadOwner));
    EXPECT_FALSE(WriteProfileString(Path(), kSectionName, kKey, QStringLiteral("http://new/")));
    EXPECT_EQ(FileBytes(Path()), before);
}

}  // namespace
