#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"

namespace {

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
          QStringList{"--replay", "ftp://archive.test/", "survey", space}}) {
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
    EXPECT_TRUE(sim.Requests().empty());
}

}  // namespace
