#include <gtest/gtest.h>

#include <QFile>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestRecordWindow.h"
#include "app/RecordFileSave.h"
#include "comments/ArticleComments.h"
#include "platform/Codepage.h"
#include "platform/Http.h"
#include "platform/Shell.h"
#include "sim/SpaceGenerator.h"

namespace {

std::string SearchPath(const std::string& space, int page) {
    return "/sys/search?pageno=" + std::to_string(page) +
           "&type=9&sort=1&word=&entry=2&region=3&hi=" + space + "&date=";
}

class CommentsTest : public ::testing::Test {
protected:
    CommentsTest() {
        platform::SetShellHandler([](const QString&, const QString&) {});
    }
    ~CommentsTest() override { platform::SetShellHandler({}); }

    // Runs the retrieval and returns the search pages it requested, as page numbers.
    std::string Retrieve(const std::string& space) {
        window_.address = QString::fromStdString("http://hi.baidu.com/" + space);
        window_.statuses.clear();
        sim_.ClearRequests();
        RunCommentRetrieval(window_);
        std::string pages;
        for (const std::string& request : sim_.Requests()) {
            if (const auto at = request.find("pageno="); at != std::string::npos) {
                pages += request.substr(at + 7, 1);
            }
        }
        return pages;
    }

    SimFixture sim_;
    TempFolder app_;
    TestRecordWindow window_{app_.Path()};
};

TEST_F(CommentsTest, LastPageLinkPageBarAndNoComments) {
    EXPECT_EQ(Retrieve("busywren"), "0012");
    EXPECT_EQ(window_.statuses.first(), "您的百度空间约有 30 条文章评论");
    EXPECT_TRUE(window_.statuses.contains("正在获取第12文章评论"));
    EXPECT_EQ(window_.Status(), "获取完毕，共12条文章评论");
    ASSERT_EQ(window_.rows.RowCount(), 12);
    // Commenters as links (odd rows) and as plain text, blanks removed in both forms.
    EXPECT_EQ(window_.Row(1), (QStringList{"1", "早起的鸟儿", "好文！", "读者1"}));
    EXPECT_EQ(window_.Row(3).at(3), "读者3");
    EXPECT_EQ(window_.Row(4).at(3), "读者4");
    EXPECT_TRUE(RunCommentSave(window_));
    const std::string file = app_.Read("busywren/文章评论.htm");
    EXPECT_EQ(file.substr(0, file.find("N0.2")),
              platform::ToAnsi("N0.1\r\n   评论文章：早起的鸟儿\r\n   评论内容：好文！\r\n"
                               "   评论者：读者1\r\n              <br><br>\r\n"));
    EXPECT_EQ(window_.Status(), "12 条留言全部备份完毕！");
    // A later result page answered with an archive's "not archived" page is unread: the
    // complete earlier file stays.
    sim_.SetFault(SearchPath("busywren", 1), "notarchived");
    Retrieve("busywren");
    EXPECT_FALSE(RunCommentSave(window_));
    EXPECT_EQ(window_.Status(), "备份失败：有 1 个页面读取失败，原有的文章评论.htm未被替换");
    EXPECT_EQ(app_.Read("busywren/文章评论.htm"), file);
    sim_.Server().ClearFaults();

    // The bar labels its pages from 1: the estimate counts the labels, the walk ends at the
    // last page linked, which is all an archive holds.
    sim_.SetFault(SearchPath("smallwren", 3), "status404");
    platform::SetReplayPrefix(QStringLiteral("http://127.0.0.1:%1/web/20120101000000id_/")
                                  .arg(sim_.Port())
                                  .toStdString());
    EXPECT_EQ(Retrieve("smallwren"), "0012");
    platform::SetReplayPrefix({});
    EXPECT_EQ(window_.statuses.first(), "您的百度空间约有 40 条文章评论");
    EXPECT_EQ(window_.Status(), "获取完毕，共5条文章评论");
    EXPECT_TRUE(RunCommentSave(window_));
    EXPECT_EQ(window_.Status(), "5 条留言全部备份完毕！");

    window_.saveEnabled = false;
    EXPECT_EQ(Retrieve("quietwren"), "0");
    EXPECT_EQ(window_.statuses, QStringList{"您的百度空间没有文章评论"});
    EXPECT_FALSE(window_.saveEnabled);
}

TEST_F(CommentsTest, OddFirstPagesEndTheirWalksAndFailedPagesAreCounted) {
    const std::string link = "<a href=\"/sys/search?pageno=1&date=\">[";
    const std::tuple<std::string, std::string, int> cases[] = {
        {"[下一页]<a href=\"/sys/search?type=9\">[尾页]", "00", 0},
        // Past 16 bits; three pages without a comment end the walk, leaving the rest unread.
        {"[下一页]<a href=\"/sys/search?pageno=99999&type=9\">[尾页]", "0012", 99997},
        // Past its last link the bar would yield the last number again and again.
        {"search_pagebar" + link + "2]</a>&nbsp;" + link + "3]</a>&nbsp;下一页", "001", 0},
        // A last link without its page number: its label less one, as the bar numbers them.
        {"search_pagebar" + link +
             "2]</a>&nbsp;<a href=\"/sys/search?type=9&date=\">[3]</a>&nbsp;下一页",
         "0012", 0},
        // A result without "评论者" would be listed again and again.
        {"文章评论<font size=\"3\">T</font></a><br><font size=-1>x<br><font color>百度一下", "00",
         0},
    };
    for (const auto& [page, requested, unread] : cases) {
        // Every search page has its result tab and its search button.
        sim_.Server().SetPage(SearchPath("odd", 0), page + "文章评论 百度一下");
        EXPECT_EQ(Retrieve("odd"), requested) << page;
        EXPECT_EQ(window_.LastRetrieval().unreadPages, unread) << page;
    }
    EXPECT_EQ(window_.rows.Rows(), (std::vector<QStringList>{{"1", "T", "x", ""}}));

    sim_.SetFault(SearchPath("jiaoliao", 1), "status500");
    Retrieve("jiaoliao");
    EXPECT_EQ(window_.Status(), "获取完毕，共11条文章评论，其中 1 个页面读取失败");
}

// A result as the search shows it: the article title in a link, the text, then the
// commenter (a link) and the date.
std::string Result(const std::string& link, const std::string& date) {
    return "<p class=\"s_item\"><a href=\"" + link +
           "\" target=_blank><font size=\"3\">T</font></a><br><font size=-1>x<br><font "
           "color=#008000>评论者:<a href=\"http://hi.baidu.com/r\" target=_blank class=sl>r</a>"
           "&nbsp;&nbsp;" +
           date + "</font></font></p>\n";
}

// The list keeps its four columns; beside them each comment keeps the article its title
// links to, when that is an article of the space, and its date, when it is one. The save
// notes both by record number.
TEST_F(CommentsTest, CommentsKeepTheArticleTheyNameAndTheirDate) {
    Retrieve("jiaoliao");
    ASSERT_EQ(window_.rows.RowCount(), 14);
    EXPECT_EQ(window_.Row(1).size(), 4);
    EXPECT_EQ(window_.rows.RowNote(1, kCommentArticleNote),
              "http://hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html");
    EXPECT_EQ(window_.rows.RowNote(14, kCommentDateNote), "2008-06-14 21:13");

    const std::pair<std::string, std::string> results[] = {
        {"HTTPS://HI.BAIDU.COM/Odd/blog/item/0A1b.html", "2010-01-02 03:04"},
        {"http://hi.baidu.com/other/blog/item/0a1b.html", "2010-01-02"},
        {"http://hi.baidu.com.evil.test/odd/blog/item/0a1b.html", "\"><script>x</script>"},
        {"javascript:alert(1)//http://hi.baidu.com/odd/blog/item/0a1b.html",
         "2010-01-02 03:04 onmouseover=x"},
        {"http://hi.baidu.com/odd/blog/item/../../x.html", "1"},
        {"http://hi.baidu.com/odd/blog/item/0a1b.html?x=\"y", ""},
    };
    std::string page = "文章评论";
    for (const auto& [link, date] : results) {
        page += Result(link, date);
    }
    // A title in no link of its own does not take the commenter's link before it.
    page += "<font size=\"3\">U</font></a><br><font size=-1>y<br><font color>评论者:z&nbsp;&nbsp;";
    sim_.Server().SetPage(SearchPath("odd", 0), page + "百度一下");
    Retrieve("odd");
    ASSERT_EQ(window_.rows.RowCount(), 7);
    QStringList notes;
    for (int row = 1; row <= 7; ++row) {
        notes << window_.rows.RowNote(row, kCommentArticleNote) + "|" +
                     window_.rows.RowNote(row, kCommentDateNote);
    }
    EXPECT_EQ(notes, (QStringList{"http://hi.baidu.com/odd/blog/item/0A1b.html|2010-01-02 03:04",
                                  "|2010-01-02", "|", "|", "|", "|", "|"}));

    // The saved page stays as it was; the record notes what it cannot hold.
    EXPECT_TRUE(RunCommentSave(window_));
    EXPECT_EQ(app_.Read("odd/文章评论.htm").find("2010"), std::string::npos);
    const nlohmann::json record = nlohmann::json::parse(app_.Read("odd/保存记录.json"));
    EXPECT_EQ(record["comments"]["rows"],
              (nlohmann::json{{{"record", 1},
                               {"article", "http://hi.baidu.com/odd/blog/item/0A1b.html"},
                               {"date", "2010-01-02 03:04"}},
                              {{"record", 2}, {"article", ""}, {"date", "2010-01-02"}}}));
}

// Fourteen comments on search pages 0 to 6, the "[尾页]" link naming page 6, and pages 1 to 3
// failing: the walk reads on to page 6, and the window and the CLI tell the three pages.
TEST(CommentWalk, FailedPagesNeverEndTheWalk) {
    spacesim::Space space = spacesim::GenerateSpace("longwren", 1);
    space.commentsPerPage = 2;
    for (int i = 1; i <= 14; ++i) {
        space.comments.push_back({space.categories[0].articles[0].id, "读者" + std::to_string(i),
                                  "2010-01-01 08:00", "好文" + std::to_string(i), ""});
    }
    SimFixture sim({std::move(space)});
    for (const int k : {1, 2, 3}) {
        sim.SetFault(SearchPath("longwren", k), "status500");
    }
    TempFolder app;
    TestRecordWindow window{app.Path()};
    window.address = QStringLiteral("http://hi.baidu.com/longwren");
    RunCommentRetrieval(window);
    std::string pages;
    for (const std::string& request : sim.Requests()) {
        pages += request.substr(request.find("pageno=") + 7, 1);
    }
    EXPECT_EQ(pages, "00123456");
    EXPECT_EQ(window.statuses.first(), "您的百度空间约有 70 条文章评论");
    ASSERT_EQ(window.rows.RowCount(), 8);
    EXPECT_EQ(window.Row(3).at(2), "好文9");
    EXPECT_EQ(window.Status(), "获取完毕，共8条文章评论，其中 3 个页面读取失败");

    const CliResult result = RunCli({"--app-dir", app.Path(), "--pace", "0", "--json", "comments",
                                     "http://hi.baidu.com/longwren", "--save"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(FinalLabels(JsonLines(result.out)).at("lblmsg"),
              "8 条留言已备份，其中 3 个页面读取失败");
    EXPECT_NE(app.Read("longwren/文章评论.htm").find("N0.8\r\n"), std::string::npos);
}

// The service's redirect of a closed space, its capture in an archive, an archive's "not
// archived" page in place of the search page, and a search of which no page could be read:
// no file, exit status 1.
TEST_F(CommentsTest, NoSpaceOrNoPageReadWritesNothingAndFails) {
    const QString archive =
        QStringLiteral("http://127.0.0.1:%1/web/20120101000000id_/").arg(sim_.Port());
    sim_.SetFault(SearchPath("jiaoliao", 0), "notarchived");
    const std::tuple<QString, const char*, const char*> cases[] = {
        {QString(), "closedwren", "您的百度空间不存在！！"},
        {archive, "closedwren", "您的百度空间不存在！！"},
        {archive, "jiaoliao", "您的百度空间不存在！！"},
        // The search answers "暂无评论" for a name that is no space.
        {QString(), "nosuchwren", "您的百度空间不存在！！"},
        {QString(), "busywren", "备份失败：有 2 个页面读取失败，未写入文章评论.htm"},
    };
    for (const auto& [prefix, space, status] : cases) {
        if (std::string(space) == "busywren") {
            sim_.SetFault("/sys/search", "refuse");
        }
        TempFolder app;
        QStringList arguments{"--app-dir", app.Path(), "--pace", "0", "--json"};
        if (!prefix.isEmpty()) {
            arguments << "--replay" << prefix;
        }
        const CliResult result = RunCli(
            arguments +
            QStringList{"comments", QStringLiteral("http://hi.baidu.com/") + space, "--save"});
        EXPECT_EQ(result.exitCode, 1) << space;
        EXPECT_EQ(FinalLabels(JsonLines(result.out)).at("lblmsg"), status) << space;
        EXPECT_EQ(app.Files(), QStringList{}) << space;
    }
}

TEST_F(CommentsTest, CliSavesOnlyWhenTheRetrievalEnablesTheSave) {
    const CliResult quiet = RunCli({"--app-dir", app_.Path(), "--pace", "0", "comments",
                                    "http://hi.baidu.com/quietwren", "--save"});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_NE(quiet.out.find("lblmsg: 您的百度空间没有文章评论"), std::string::npos) << quiet.out;
    EXPECT_FALSE(QFile::exists(app_.Path() + "/quietwren/文章评论.htm"));
    // An address typed without its scheme names the space all the same.
    const CliResult typed = RunCli(
        {"--app-dir", app_.Path(), "--pace", "0", "comments", "hi.baidu.com/jiaoliao/", "--save"});
    EXPECT_EQ(typed.exitCode, 0) << typed.err;
    EXPECT_NE(typed.out.find("lblmsg: 14 条留言全部备份完毕！"), std::string::npos) << typed.out;
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/文章评论.htm"));
}

}  // namespace
