#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "TempFolder.h"
#include "platform/Program.h"

namespace {

// Points HOME at a folder of the test's own while it lives.
class HomeFolder {
public:
    HomeFolder() : saved_(qgetenv("HOME")), savedConfig_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("HOME", QFile::encodeName(home_.Path()));
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~HomeFolder() {
        qputenv("HOME", saved_);
        if (!savedConfig_.isEmpty()) {
            qputenv("XDG_CONFIG_HOME", savedConfig_);
        }
    }
    HomeFolder(const HomeFolder&) = delete;
    HomeFolder& operator=(const HomeFolder&) = delete;

    QString Path() const { return home_.Path(); }

private:
    TempFolder home_;
    QByteArray saved_;
    QByteArray savedConfig_;
};

}  // namespace

TEST(ApplicationFolderTest, IsTheProgramsOwnFolderOnlyWhereTheUserKeepsFiles) {
    const HomeFolder home;
    const QString documents = home.Path() + "/Documents/Pagewren";

    // A copy run from its build or unpacked folder keeps its files beside it.
    const TempFolder unpacked;
    EXPECT_EQ(platform::ApplicationFolderFor(unpacked.Path()), unpacked.Path());
    // An installed program: even root, who may write there, leaves no backup among the
    // package's files.
    EXPECT_EQ(platform::ApplicationFolderFor("/usr/bin"), documents);
    EXPECT_EQ(platform::ApplicationFolderFor("/opt/pagewren/bin/"), documents);
    EXPECT_EQ(platform::ApplicationFolderFor(unpacked.Path() + "/gone"), documents);

    EXPECT_TRUE(platform::MakeApplicationFolder(documents));
    EXPECT_TRUE(QDir(documents).exists());
}
