#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "app/SpaceAddress.h"

namespace {

class ArticlesCliTest : public ::testing::Test {
protected:
    CliResult Articles(const QStringList& options) {
        return RunCli(QStringList{"--app-dir", app_.Path(), "--pace", "0", "--json", "articles",
                                  "http://hi.baidu.com/jiaoliao"} +
                      options);
    }

    SimFixture sim_;
    TempFolder app_;
};

TEST_F(ArticlesCliTest, JsonListsBothListsAndTheStatus) {
    const CliResult result = Articles({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::vector<nlohmann::json>> rows;
    std::string status;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);) {
        const auto json = nlohmann::json::parse(line);
        if (json.contains("list")) {
            rows[json["list"]].push_back(json["row"]);
        } else if (json["label"] == "Label2") {
            status = json["text"];
        }
    }
    ASSERT_EQ(rows["LVarticle"].size(), 4u);
    EXPECT_EQ(rows["LVarticle"][1][1], "旅途见闻");
    ASSERT_EQ(rows["LVnum"].size(), 17u);
    EXPECT_EQ(rows["LVnum"][16][4], "http://hi.baidu.com/jiaoliao/blog/item/d4bc6d5ca64dbcb9.html");
    EXPECT_EQ(status, "你的空间共4文章分类，共获取17篇文章！！，成功获取率为100.%");
    // Without --save nothing is written.
    EXPECT_FALSE(QFile::exists(app_.Path() + "/jiaoliao"));
}

TEST_F(ArticlesCliTest, SaveRunsAfterTheCatalogue) {
    const CliResult result = Articles({"--wait", "0", "--save", "txt"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/读书笔记/16 读《红楼梦》：第一回.txt"));
    EXPECT_NE(result.out.find("\"text\":\"保存完毕！\""), std::string::npos) << result.out;
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

TEST_F(ArticlesCliTest, BadOptionsAreBadUsage) {
    for (const QStringList& options :
         {QStringList{"--save", "pdf"}, QStringList{"--save", "HTML"}, QStringList{"--wait"},
          QStringList{"--bogus", "1"}, QStringList{"extra"}}) {
        const CliResult result = Articles(options);
        EXPECT_EQ(result.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
    EXPECT_TRUE(sim_.Requests().empty());
}

}  // namespace
