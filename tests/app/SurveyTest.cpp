#include <gtest/gtest.h>

#include <sstream>

#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestMainWindow.h"
#include "app/SpaceAddress.h"
#include "app/SpaceSurvey.h"
#include "platform/Http.h"
#include "sim/WarcWriter.h"

namespace {

class SurveyTest : public ::testing::Test {
protected:
    QString Label(SurveyLabel label) const { return window_.Label(label); }
    SurveyOutcome Survey(const QString& address) {
        window_.address = address;
        return RunSpaceSurvey(window_, app_.Path());
    }

    SimFixture sim_;
    TempFolder app_;
    TestMainWindow window_{QString()};
};

TEST_F(SurveyTest, SampleSpaceFillsListsLabelsAndSettings) {
    Survey(QStringLiteral("hi.baidu.com/jiaoliao"));
    EXPECT_EQ(window_.address, "http://hi.baidu.com/jiaoliao");
    ASSERT_EQ(window_.categories.RowCount(), 4);
    EXPECT_EQ(window_.categories.Cell(1, 0), "1");
    EXPECT_EQ(window_.categories.Cell(4, 0), "4");
    EXPECT_FALSE(window_.categories.Cell(1, 1).isEmpty());
    EXPECT_TRUE(window_.categories.Cell(1, 3).startsWith("http://hi.baidu.com/jiaoliao/"));
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 4 个“文章分类”和 17 篇文章");
    ASSERT_EQ(window_.songs.RowCount(), 3);
    EXPECT_TRUE(window_.songs.Cell(1, 1).startsWith("http://"));
    EXPECT_NE(window_.songs.Cell(1, 1), window_.songs.Cell(2, 1));
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间共有 3 首背景音乐");
    EXPECT_EQ(Label(SurveyLabel::Css), "您的百度空间CSS代码已经获取，请点击查看");
    EXPECT_EQ(Label(SurveyLabel::Photo), "此版本还未添加获取空间相片功能，尽请期待");
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间共有 23 条留言");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 50 条文章评论");
    EXPECT_TRUE(window_.surveyEnabled);
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/jiaoliao");
    EXPECT_EQ(sim_.Requests().size(), 4u);
}

TEST_F(SurveyTest, QuietSpaceIsRememberedAndAPageBarWithoutLastLinkCountsItsLinks) {
    Survey(QStringLiteral("http://hi.baidu.com/jiaoliao"));
    sim_.ClearRequests();
    Survey(QStringLiteral("http://hi.baidu.com/quietwren"));
    // The blog page read first tells that the missing playlist is a space's without songs.
    EXPECT_EQ(sim_.Requests().size(), 4u);
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间没有背景音乐");
    EXPECT_EQ(window_.songs.RowCount(), 0);
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间共有 0 条留言");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间没有文章评论");
    EXPECT_TRUE(window_.surveyEnabled);
    // The windows opened next must show this space, not the one surveyed before.
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/quietwren");

    // An address copied from a browser ends in "/", maybe with https: the same space, the same
    // requests.
    sim_.ClearRequests();
    Survey(QStringLiteral("https://hi.baidu.com/jiaoliao/"));
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 4 个“文章分类”和 17 篇文章");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 50 条文章评论");
    for (const std::string& request : sim_.Requests()) {
        EXPECT_EQ(request.find("jiaoliao/&"), std::string::npos) << request;
        EXPECT_EQ(request.find("jiaoliao//"), std::string::npos) << request;
    }
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间共有 3 首背景音乐");
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "https://hi.baidu.com/jiaoliao/");

    // Pasted with blanks in front, as the CLI takes it.
    Survey(QStringLiteral("  hi.baidu.com/smallwren"));
    EXPECT_EQ(window_.address, "http://hi.baidu.com/smallwren");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 30 条文章评论");
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间共有 1 首背景音乐");
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/smallwren");
}

TEST_F(SurveyTest, UnusableAddressRequestsNothingAndIsStillSaved) {
    Survey(QString());
    EXPECT_EQ(window_.address, "http://");
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 0 个“文章分类”和 0 篇文章");
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间没有背景音乐");
    EXPECT_EQ(Label(SurveyLabel::Board), "");
    EXPECT_EQ(Label(SurveyLabel::Comments), "initial");
    EXPECT_TRUE(sim_.Requests().empty());
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://");
}

TEST_F(SurveyTest, UnreadPagesAreToldAndADeadServerIsNoHang) {
    sim_.SetFault("/jiaoliao/blog", "refuse");
    sim_.SetFault("/jiaoliao/music/music.pls", "truncate");
    sim_.SetFault("/jiaoliao/profile", "status500");
    SurveyOutcome outcome = Survey(QStringLiteral("http://hi.baidu.com/jiaoliao"));
    EXPECT_EQ(window_.categories.RowCount(), 0);
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间文章分类读取失败");
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间背景音乐列表读取失败");
    EXPECT_EQ(Label(SurveyLabel::Css), "您的百度空间CSS代码未能获取");
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间留言数读取失败");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 50 条文章评论");
    EXPECT_EQ(outcome.unreadPages, 3);

    // The service's own "not found" for a playlist is a space without songs.
    sim_.Server().ClearFaults();
    outcome = Survey(QStringLiteral("http://hi.baidu.com/smallwren"));
    sim_.SetFault("/smallwren/music/music.pls", "status404");
    outcome = Survey(QStringLiteral("http://hi.baidu.com/smallwren"));
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间没有背景音乐");
    EXPECT_EQ(outcome.unreadPages, 0);

    sim_.Stop();
    outcome = Survey(QStringLiteral("http://hi.baidu.com/jiaoliao"));
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间文章分类读取失败");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间文章评论读取失败");
    EXPECT_EQ(outcome.unreadPages, 4);
    EXPECT_FALSE(outcome.spaceMissing);
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/jiaoliao");
}

// A closed space is sent to the service's error page; an archive that never captured a space
// may answer with its "not archived" page and success. Neither is an empty space.
TEST_F(SurveyTest, AddressWithoutASpaceIsToldApartFromAnEmptySpace) {
    SurveyOutcome outcome = Survey(QStringLiteral("http://hi.baidu.com/closedwren"));
    EXPECT_TRUE(outcome.spaceMissing);
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间不存在！！");
    EXPECT_EQ(Label(SurveyLabel::Css), "");
    EXPECT_EQ(Label(SurveyLabel::Comments), "");
    EXPECT_EQ(window_.categories.RowCount(), 0);

    outcome = Survey(QStringLiteral("http://hi.baidu.com/nosuchwren"));
    EXPECT_TRUE(outcome.spaceMissing);

    sim_.SetFault("/jiaoliao/blog", "notarchived");
    platform::SetReplayPrefix("http://127.0.0.1:" + std::to_string(sim_.Port()) +
                              "/web/20120101000000id_/");
    outcome = Survey(QStringLiteral("http://hi.baidu.com/jiaoliao"));
    EXPECT_TRUE(outcome.spaceMissing);
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间不存在！！");

    // Through the archive a closed space's redirect is replayed to the archived error page.
    outcome = Survey(QStringLiteral("http://hi.baidu.com/closedwren"));
    EXPECT_TRUE(outcome.spaceMissing);

    // A 404 from an archive or archive files, the page never captured or captured failing,
    // tells nothing of the space: its page is unread.
    sim_.SetFault("/jiaoliao/blog", "status404");
    std::ostringstream captured;
    spacesim::WarcWriter(captured, false)
        .Response("http://hi.baidu.com/jiaoliao/blog", "20120101000000",
                  "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found", "Not Found");
    app_.Write("blog404.warc", captured.str());
    const std::string archive = platform::ReplayPrefix();
    for (const std::string& prefix : {archive, "warc:" + app_.File("blog404.warc")}) {
        platform::SetReplayPrefix(prefix);
        outcome = Survey(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        EXPECT_FALSE(outcome.spaceMissing) << prefix;
        EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间文章分类读取失败") << prefix;
    }
    platform::SetReplayPrefix(archive);

    // A real space with few pages is a space; a message count read proves its profile page.
    sim_.Server().ClearFaults();
    sim_.Server().SetPage("/quietwren/profile", "<p>留言(<b>123</b>条)</p>");
    outcome = Survey(QStringLiteral("http://hi.baidu.com/quietwren"));
    EXPECT_FALSE(outcome.spaceMissing);
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 1 个“文章分类”和 1 篇文章");
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间共有 123 条留言");

    // A "not archived" page in place of a real space's playlist leaves its songs unknown.
    sim_.SetFault("/jiaoliao/music/music.pls", "notarchived");
    outcome = Survey(QStringLiteral("http://hi.baidu.com/jiaoliao"));
    platform::SetReplayPrefix({});
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间背景音乐列表读取失败");
    EXPECT_EQ(outcome.unreadPages, 1);
}

// Pages that no sample space holds: what an archive may serve, broken or hostile. Each case
// is one page and the caption or row count it must end in.
class HostileSurveyTest : public SurveyTest {
protected:
    void Survey(const std::string& path, const std::string& html) {
        sim_.Server().SetPage(path, html);
        SurveyTest::Survey(QStringLiteral("http://hi.baidu.com/odd"));
    }
    // The search page around a page bar: its result tab and search button.
    void SurveyComments(const std::string& bar) {
        sim_.Server().SetPage("/odd/blog", "文章分类 文章存档");
        Survey("/sys/search?pageno=0&type=9&sort=1&word=&entry=2&region=3&hi=odd&date=",
               "文章评论" + bar + "百度一下");
    }
};

TEST_F(HostileSurveyTest, CategoryCountsAreSummedWithinSixteenBits) {
    const auto item = [](const std::string& name, const std::string& count) {
        return "<div class=\"item\"><a href=\"/odd/blog/category/x\" "
               "title=\"查看该分类中所有文章\">" +
               name + "</a>(" + count + ")</div>";
    };
    const std::pair<std::string, QString> pages[] = {
        {item("甲", "5") + item("乙", "12") + item("丙", "0"), "3 个“文章分类”和 17"},
        // The word "category" alone, and in a category's name, is no category.
        {"category category (30000) category" + item("my category", "5"), "1 个“文章分类”和 5"},
        // The second count would pass 32767: the total keeps the first.
        {item("大", "30000") + item("大", "30000"), "2 个“文章分类”和 30000"},
    };
    for (const auto& [section, caption] : pages) {
        Survey("/odd/blog", "文章分类" + section + "文章存档");
        EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 " + caption + " 篇文章")
            << section;
    }
    Survey("/odd/blog", "文章分类" + item("甲", "5") + item("乙", "12") + "文章存档");
    EXPECT_EQ(window_.categories.Cell(2, 1), "乙");
    EXPECT_EQ(window_.categories.Cell(2, 2), "12");
    EXPECT_EQ(window_.categories.Cell(2, 3), "http://hi.baidu.com/odd/odd/blog/category/x");
}

TEST_F(HostileSurveyTest, CommentEstimateEndsOnAnyPageBar) {
    const std::string link = "<a href=\"/sys/search?pageno=1&hi=odd&date=\">";
    const std::pair<std::string, QString> bars[] = {
        {"search_pagebar" + link + "[2]</a>&nbsp;" + link + "[3]</a>&nbsp;下一页", "约有 30 "},
        {"search_pagebar" + link + "[2]</a>&nbsp;" + link + "[9 下一页", "约有 20 "},
        {"search_pagebar" + link + "[2]</a>&nbsp;" + link + "[3]</a>&nbsp;", "约有 0 "},
        {"search_pagebar" + link + "[x]</a>&nbsp;下一页", "约有 0 "},
        {"search_pagebar &date=\">[]</a>&nbsp;]</a>&nbsp;下一页", "约有 0 "},
        {"search_pagebar 下一页", "约有 0 "},
        {"[下一页]<a href=\"?pageno=4&type=9\">[尾页]", "约有 50 "},
        {"[下一页]<a href=\"?pageno=last&type=9\">[尾页]", "约有 10 "},
        // A last page beyond 16 bits leaves the line empty.
        {"[下一页]<a href=\"?pageno=5000&type=9\">[尾页]", ""},
    };
    for (const auto& [bar, estimate] : bars) {
        SurveyComments(bar);
        const QString caption = estimate.isEmpty() ? "" : "您的百度空间" + estimate + "条文章评论";
        EXPECT_EQ(Label(SurveyLabel::Comments), caption) << bar;
    }
}

}  // namespace
