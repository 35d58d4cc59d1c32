// What the articles command adds to the catalogue and the save: the two lists and the status
// as JSON, and saves that leave the application folder's own files alone.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "app/SpaceAddress.h"

namespace {

class ArticlesCliTest : public ::testing::Test {
protected:
    SimFixture sim_;
    TempFolder app_;
};

TEST_F(ArticlesCliTest, JsonListsBothListsAndTheStatus) {
    const CliResult result = RunCli({"--app-dir", app_.Path(), "--pace", "0", "--json", "articles",
                                     "http://hi.baidu.com/jiaoliao"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = JsonLines(result.out);
    ASSERT_EQ(ListRows(lines, "LVarticle").size(), 4u);
    EXPECT_EQ(ListRows(lines, "LVarticle")[1][1], "旅途见闻");
    ASSERT_EQ(ListRows(lines, "LVnum").size(), 17u);
    EXPECT_EQ(ListRows(lines, "LVnum")[16][4],
              "http://hi.baidu.com/jiaoliao/blog/item/d4bc6d5ca64dbcb9.html");
    EXPECT_EQ(FinalLabels(lines).at("Label2"),
              "你的空间共4文章分类，共获取17篇文章！！，成功获取率为100.%");
    // Without --save nothing is written.
    EXPECT_FALSE(QFile::exists(app_.Path() + "/jiaoliao"));
}

TEST_F(ArticlesCliTest, DefaultSpaceSavesWholeBesideTheProgramAndItsSettings) {
    // The demo's application folder: the programs and the settings file beside the saves.
    for (const char* file : {"pagewren", "pagewren-cli", "spacesim", "blogurl.ini"}) {
        app_.Write(QString::fromUtf8(file), "not a space folder");
    }
    const QString address = kDefaultSpaceAddress;
    const CliResult result = RunCli({"--app-dir", app_.Path(), "--pace", "0", "articles", address,
                                     "--wait", "0", "--save", "html"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Label2: 保存完毕！\n"), std::string::npos) << result.out;
    const QString folder = app_.Path() + "/" + SpaceFolderName(address);
    QDirIterator it(folder, {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
    int saved = 0;
    for (; it.hasNext(); it.next()) {
        ++saved;
    }
    EXPECT_EQ(saved, 17);
    EXPECT_EQ(app_.Read("pagewren"), "not a space folder");
}

}  // namespace
