// The articles command's JSON is met by the archive tests; here, a save into the folder that
// holds the programs and the settings file leaves them alone.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "app/SpaceAddress.h"

namespace {

TEST(ArticlesCli, DefaultSpaceSavesWholeBesideTheProgramAndItsSettings) {
    SimFixture sim;
    TempFolder app;
    // The demo's application folder: the programs and the settings file beside the saves.
    for (const char* file : {"pagewren", "pagewren-cli", "spacesim", "blogurl.ini"}) {
        app.Write(QString::fromUtf8(file), "not a space folder");
    }
    const QString address = kDefaultSpaceAddress;
    const CliResult result = RunCli({"--app-dir", app.Path(), "--pace", "0", "articles", address,
                                     "--wait", "0", "--save", "html"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Label2: 保存完毕！\n"), std::string::npos) << result.out;
    const QString folder = app.Path() + "/" + SpaceFolderName(address);
    QDirIterator it(folder, {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
    int saved = 0;
    for (; it.hasNext(); it.next()) {
        ++saved;
    }
    EXPECT_EQ(saved, 17);
    EXPECT_EQ(app.Read("pagewren"), "not a space folder");
}

}  // namespace
