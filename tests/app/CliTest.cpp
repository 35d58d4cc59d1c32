#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"

namespace {

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
    EXPECT_TRUE(QFile::exists(app.Path() + "/blogurl.ini"));
}

TEST(CliSurvey, ReadableOutputByDefault) {
    SimFixture sim;
    TempFolder app;
    const CliResult result =
        RunCli({"--app-dir", app.Path(), "--pace", "0", "survey", "http://hi.baidu.com/quietwren"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("lblpinglun: 您的百度空间没有文章评论"), std::string::npos)
        << result.out;
}

TEST(CliUsage, BadUsageExitsWithTwoAndSaysWhy) {
    TempFolder app;
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"survey"}, QStringList{"--pace", "fast", "survey", "x"},
          QStringList{"--bogus", "survey", "x"}, QStringList{"dance", "http://hi.baidu.com/x"},
          QStringList{"--app-dir", app.Path() + "/missing", "survey", "x"}}) {
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
}

}  // namespace
