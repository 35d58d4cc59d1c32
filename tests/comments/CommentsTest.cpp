#include <gtest/gtest.h>

#include <QFile>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestRecordWindow.h"
#include "comments/ArticleComments.h"
#include "platform/Codepage.h"
#include "platform/Shell.h"

namespace {

using Log = std::vector<std::string>;

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

    void Retrieve(const std::string& space) {
        window_.address = QStringLiteral("http://hi.baidu.com/") + QString::fromStdString(space);
        window_.rows.Clear();
        window_.statuses.clear();
        sim_.ClearRequests();
        RunCommentRetrieval(window_);
    }
    // The pages requested, as their page numbers.
    Log RequestedPages() const {
        Log pages;
        for (const std::string& request : sim_.Requests()) {
            pages.push_back(request.substr(request.find("pageno=") + 7, 1));
        }
        return pages;
    }

    SimFixture sim_;
    TempFolder app_;
    TestRecordWindow window_{app_.Path()};
};

TEST_F(CommentsTest, CommentsOfEveryPageUpToTheLastPageLinkAreListedAndSaved) {
    Retrieve("busywren");
    EXPECT_EQ(sim_.Requests().front(), "hi.baidu.com" + SearchPath("busywren", 0));
    EXPECT_EQ(RequestedPages(), (Log{"0", "0", "1", "2"}));
    EXPECT_EQ(window_.statuses.first(), "您的百度空间约有 30 条文章评论");
    EXPECT_TRUE(window_.statuses.contains("正在获取第12文章评论"));
    EXPECT_EQ(window_.Status(), "获取完毕，共12条文章评论");
    EXPECT_TRUE(window_.saveEnabled);
    ASSERT_EQ(window_.rows.RowCount(), 12);
    // Commenters as links (odd rows) and as plain text, blanks removed in both forms.
    EXPECT_EQ(window_.Row(1), (QStringList{"1", "早起的鸟儿", "好文！", "读者1"}));
    EXPECT_EQ(window_.Row(3), (QStringList{"3", "新年计划", "同感。", "读者3"}));
    EXPECT_EQ(window_.Row(4), (QStringList{"4", "早起的鸟儿", "期待下一篇。", "读者4"}));
    EXPECT_EQ(window_.Row(12).at(3), "读者12");

    EXPECT_TRUE(RunCommentSave(window_));
    const std::string file = app_.Read("busywren/文章评论.htm");
    EXPECT_EQ(
        file.substr(0, file.find("N0.2")),
        platform::ToAnsi(QStringLiteral("N0.1\r\n   评论文章：早起的鸟儿\r\n   评论内容：好文！\r\n"
                                        "   评论者：读者1\r\n              <br><br>\r\n")));
    EXPECT_NE(file.find("N0.12\r\n"), std::string::npos);
    EXPECT_EQ(window_.Status(), "12 条留言全部备份完毕！");
}

TEST_F(CommentsTest, PageBarAloneAndNoCommentsAtAll) {
    // The bar's last number is the count of pages, so the walk reads one page past the end;
    // its empty row is removed.
    Retrieve("smallwren");
    EXPECT_EQ(RequestedPages(), (Log{"0", "0", "1", "2", "3"}));
    EXPECT_EQ(window_.statuses.first(), "您的百度空间约有 40 条文章评论");
    EXPECT_EQ(window_.rows.RowCount(), 5);
    EXPECT_EQ(window_.Status(), "获取完毕，共5条文章评论");

    window_.saveEnabled = false;
    Retrieve("quietwren");
    EXPECT_EQ(RequestedPages(), Log{"0"});
    EXPECT_EQ(window_.statuses, QStringList{"您的百度空间没有文章评论"});
    EXPECT_FALSE(window_.saveEnabled);
}

// First pages an archive may serve; every walk ends and reads a bounded number of pages.
TEST_F(CommentsTest, OddFirstPagesEndTheirWalks) {
    struct Case {
        std::string page;
        int estimate;
        int requests;
        int rows;
    };
    const std::string link = "<a href=\"/sys/search?pageno=1&hi=odd&date=\">";
    const Case cases[] = {
        {"[下一页]<a href=\"/sys/search?type=9\">[尾页]", 10, 2, 0},
        {"[下一页]<a href=\"/sys/search?pageno=99999&type=9\">[尾页]", 10, 2, 0},
        {"[下一页]<a href=\"/sys/search?pageno=x&type=9\">[尾页]", 10, 2, 0},
        // After its last link the bar would yield the last number again and again.
        {"search_pagebar" + link + "[2]</a>&nbsp;" + link + "[3]</a>&nbsp;下一页", 40, 5, 0},
        {"search_pagebar" + link + "[70000]</a>&nbsp;下一页", 10, 2, 0},
        // A result without "评论者" would be listed forever.
        {"文章评论<font size=\"3\">T</font></a><br><font size=-1>x<br><font color>百度一下", 10, 2,
         1},
    };
    for (const Case& c : cases) {
        sim_.Server().SetPage(SearchPath("odd", 0), c.page);
        Retrieve("odd");
        EXPECT_EQ(window_.statuses.first(),
                  QStringLiteral("您的百度空间约有 %1 条文章评论").arg(c.estimate))
            << c.page;
        EXPECT_EQ(sim_.Requests().size(), static_cast<size_t>(c.requests)) << c.page;
        EXPECT_EQ(window_.rows.RowCount(), c.rows) << c.page;
    }
    EXPECT_EQ(window_.Row(1), (QStringList{"1", "T", "x", ""}));
}

TEST_F(CommentsTest, FailedPagesAreCountedInTheFinalStatus) {
    sim_.SetFault(SearchPath("jiaoliao", 1), "refuse");
    Retrieve("jiaoliao");
    EXPECT_EQ(window_.Status(), "获取完毕，共11条文章评论，其中 1 个页面读取失败");
}

TEST_F(CommentsTest, CliSavesOnlyWhenTheRetrievalEnablesTheSave) {
    const CliResult quiet = RunCli({"--app-dir", app_.Path(), "--pace", "0", "comments",
                                    "http://hi.baidu.com/quietwren", "--save"});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_NE(quiet.out.find("lblmsg: 您的百度空间没有文章评论"), std::string::npos) << quiet.out;
    EXPECT_FALSE(QFile::exists(app_.Path() + "/quietwren/文章评论.htm"));

    const CliResult busy = RunCli({"--app-dir", app_.Path(), "--pace", "0", "--json", "comments",
                                   "http://hi.baidu.com/busywren", "--save"});
    EXPECT_EQ(busy.exitCode, 0) << busy.err;
    EXPECT_NE(
        busy.out.find(R"({"list":"LVcritique","row":["12","新年计划","期待下一篇。","读者12"]})"),
        std::string::npos)
        << busy.out;
    EXPECT_NE(busy.out.find(R"({"label":"lblmsg","text":"12 条留言全部备份完毕！"})"),
              std::string::npos);
    EXPECT_TRUE(QFile::exists(app_.Path() + "/busywren/文章评论.htm"));
}

}  // namespace
