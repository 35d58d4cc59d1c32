#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestRecordWindow.h"
#include "board/MessageBoard.h"
#include "platform/Codepage.h"
#include "platform/Shell.h"
#include "sim/SpaceGenerator.h"

namespace {

using Log = std::vector<std::string>;
const std::string kBusyPage = "hi.baidu.com/busywren/board/index/";

class BoardTest : public ::testing::Test {
protected:
    BoardTest() {
        platform::SetShellHandler(
            [this](const QString& verb, const QString& target) { opened_ << verb + " " + target; });
    }
    ~BoardTest() override { platform::SetShellHandler({}); }

    void Retrieve(const QString& address) {
        window_.address = address;
        window_.statuses.clear();
        sim_.ClearRequests();
        RunBoardRetrieval(window_);
    }

    SimFixture sim_;
    TempFolder app_;
    TestRecordWindow window_{app_.Path()};
    QStringList opened_;
};

TEST_F(BoardTest, BoardsOfFiftyOneAndFiftyMessagesAreListedAndSavedWhole) {
    Retrieve("http://hi.baidu.com/busywren");
    EXPECT_EQ(sim_.Requests(), (Log{"hi.baidu.com/busywren/profile", kBusyPage + "0",
                                    kBusyPage + "0", kBusyPage + "1"}));
    ASSERT_EQ(window_.rows.RowCount(), 51);
    EXPECT_EQ(window_.Row(1),
              (QStringList{"1", "51", "Tom &amp; Jerry", "2009-02-01 08:00", "你好！"}));
    EXPECT_EQ(window_.Row(51), (QStringList{"51", "1", "访客51", "2009-02-23 10:50", "你好！"}));
    EXPECT_TRUE(window_.statuses.contains("您的百度空间共有51条留言，正在获取第51留言"));
    EXPECT_EQ(window_.Status(), "获取完毕，共51条留言");

    EXPECT_TRUE(RunBoardSave(window_));
    const std::string file = app_.Read("busywren/留言版.htm");
    EXPECT_EQ(file.substr(0, file.find("N0.2")),
              platform::ToAnsi("N0.1\r\n   留言序号：51\r\n   留言者：Tom &amp; Jerry\r\n"
                               "   留言时间：2009-02-01 08:00\r\n   留言内容：你好！\r\n"
                               "              <br><br>\r\n"));
    EXPECT_NE(file.find(platform::ToAnsi("第一行\n第二行\r\n")), std::string::npos);
    EXPECT_NE(file.find("N0.51\r\n"), std::string::npos);
    EXPECT_TRUE(window_.statuses.contains("共 51条留言，正在备份第51留言"));
    EXPECT_EQ(window_.Status(), "51 条留言全部备份完毕！");
    EXPECT_EQ(opened_, QStringList{"explore " + app_.Path() + "/busywren/"});

    // A save stopped part-way, or one that cannot write, keeps the earlier page whole.
    window_.rows.SetCell(1, 4, QStringLiteral("changed"));
    window_.pump.waitsBeforeStop = window_.pump.waits + 5;
    EXPECT_THROW(RunBoardSave(window_), platform::RunStopped);
    EXPECT_EQ(app_.Read("busywren/留言版.htm"), file);
    EXPECT_EQ(
        QDir(app_.Path() + "/busywren").entryList({".pagewren-*"}, QDir::Files | QDir::Hidden),
        QStringList());
    window_.pump.waitsBeforeStop = -1;
    // (The list as if retrieved from a space whose folder cannot be made.)
    window_.SetListedAddress(QStringLiteral("http://hi.baidu.com/blocked"));
    app_.Write("blocked", "a file where the space folder belongs");
    EXPECT_FALSE(RunBoardSave(window_));
    EXPECT_EQ(window_.Status(), "备份失败：无法写入留言版.htm");

    sim_.Server().SetPage("/busywren/profile", "个人档案 留言(<b>50</b>条");
    Retrieve("http://hi.baidu.com/busywren");
    EXPECT_EQ(sim_.Requests(), (Log{"hi.baidu.com/busywren/profile", kBusyPage + "0"}));
    EXPECT_EQ(window_.rows.RowCount(), 50);
    EXPECT_TRUE(window_.statuses.contains("您的百度空间共有50条留言，正在获取第50条留言"));
}

TEST_F(BoardTest, PagesWithoutMessagesAreUnreadAndFailedPagesAreCounted) {
    struct Case {
        std::string count, page;
        int rows, requests, unread;
    };
    for (const Case& c :
         {Case{"abc", "5%\">1</td>", 0, 2, 0}, Case{"3", "none", 0, 2, 1},
          Case{"120", "none", 0, 5, 3},  // three pages without a message
          Case{"51", "name='cmtcontent'>a</div>name='cmtcontent'>b</div>", 4, 4, 0}}) {
        sim_.Server().SetPage("/odd/profile", "个人档案 留言(<b>" + c.count + "</b>条");
        for (const char* k : {"0", "1", "2"}) {
            sim_.Server().SetPage(std::string("/odd/board/index/") + k, c.page);
        }
        Retrieve("http://hi.baidu.com/odd");
        EXPECT_EQ(window_.rows.RowCount(), c.rows) << c.count;
        EXPECT_EQ(sim_.Requests().size(), static_cast<size_t>(c.requests)) << c.count;
        EXPECT_EQ(window_.LastRetrieval().unreadPages, c.unread) << c.count;
    }

    // A placeholder where the messages should be lists nothing and keeps the earlier page.
    Retrieve("http://hi.baidu.com/jiaoliao");
    ASSERT_TRUE(RunBoardSave(window_));
    const std::string good = app_.Read("jiaoliao/留言版.htm");
    sim_.SetFault("/jiaoliao/board/index/0", "placeholder");
    Retrieve("http://hi.baidu.com/jiaoliao");
    EXPECT_EQ(window_.rows.RowCount(), 0);
    EXPECT_EQ(window_.Status(), "获取完毕，共0条留言，其中 1 个页面读取失败");
    EXPECT_FALSE(RunBoardSave(window_));
    EXPECT_EQ(app_.Read("jiaoliao/留言版.htm"), good);

    sim_.SetFault("/busywren/board/index/1", "refuse");
    Retrieve("http://hi.baidu.com/busywren");
    EXPECT_EQ(window_.Status(), "获取完毕，共50条留言，其中 1 个页面读取失败");
    // An incomplete list is saved where nothing was, but never over an earlier page.
    EXPECT_TRUE(RunBoardSave(window_));
    EXPECT_EQ(window_.Status(), "50 条留言已备份，其中 1 个页面读取失败");
    const std::string saved = app_.Read("busywren/留言版.htm");
    sim_.SetFault("/busywren/profile", "status500");
    Retrieve("http://hi.baidu.com/busywren");
    EXPECT_FALSE(RunBoardSave(window_));
    EXPECT_EQ(window_.Status(), "备份失败：有 1 个页面读取失败，原有的留言版.htm未被替换");
    EXPECT_EQ(app_.Read("busywren/留言版.htm"), saved);

    window_.saveEnabled = false;
    Retrieve("http://hi.baidu.com");
    EXPECT_TRUE(sim_.Requests().empty());
    EXPECT_EQ(window_.Status(), "获取完毕，共0条留言");
    EXPECT_TRUE(window_.saveEnabled);

    // A board without messages saves nothing: no folder, no empty page, no reading copy.
    sim_.Server().SetPage("/quietwren/profile", "个人档案 留言(<b>0</b>条");
    Retrieve("http://hi.baidu.com/quietwren");
    EXPECT_TRUE(RunBoardSave(window_));
    EXPECT_EQ(window_.Status(), "没有留言，未写入留言版.htm");
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/quietwren"));
}

TEST_F(BoardTest, AHundredMessagesThroughTheArchiveAreSavedWhole) {
    // Nothing links to a page past the last message, so the archive never captured page 2.
    const QString archive =
        QStringLiteral("http://127.0.0.1:%1/web/20120101000000id_/").arg(sim_.Port());
    const CliResult result = RunCli({"--app-dir", app_.Path(), "--pace", "0", "--replay", archive,
                                     "--json", "board", "http://hi.baidu.com/boardwren", "--save"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string page = "hi.baidu.com/boardwren/board/index/";
    EXPECT_EQ(sim_.Requests(),
              (Log{"hi.baidu.com/boardwren/profile", page + "0", page + "0", page + "1"}));
    const auto lines = JsonLines(result.out);
    const auto rows = ListRows(lines, "LVboard");
    ASSERT_EQ(rows.size(), 100u);
    EXPECT_EQ(rows.back()[2], "鸟友100");
    EXPECT_EQ(FinalLabels(lines).at("lblmsg"), "100 条留言全部备份完毕！");
    const std::string file = app_.Read("boardwren/留言版.htm");
    EXPECT_NE(file.find(platform::ToAnsi("N0.100\r\n   留言序号：1\r\n")), std::string::npos);
    EXPECT_EQ(file.find("N0.101"), std::string::npos);
}

// The service's redirect of a closed space, its capture in an archive, an archive's "not
// archived" page, and a board of which no page could be read: no file, exit status 1.
TEST_F(BoardTest, NoSpaceOrNoPageReadWritesNothingAndFails) {
    const QString archive =
        QStringLiteral("http://127.0.0.1:%1/web/20120101000000id_/").arg(sim_.Port());
    sim_.SetFault("/jiaoliao/profile", "notarchived");
    sim_.SetFault("/busywren/profile", "refuse");
    sim_.SetFault("/busywren/board/index/0", "status500");
    // The count is read, but not one page of messages.
    sim_.SetFault("/boardwren/board/index/0", "status500");
    sim_.SetFault("/boardwren/board/index/1", "status500");
    const std::tuple<QString, const char*, const char*> cases[] = {
        {QString(), "closedwren", "您的百度空间不存在！！"},
        {archive, "closedwren", "您的百度空间不存在！！"},
        {archive, "jiaoliao", "您的百度空间不存在！！"},
        {QString(), "busywren", "备份失败：有 2 个页面读取失败，未写入留言版.htm"},
        {QString(), "boardwren", "备份失败：有 3 个页面读取失败，未写入留言版.htm"},
    };
    for (const auto& [prefix, space, status] : cases) {
        TempFolder app;
        QStringList arguments{"--app-dir", app.Path(), "--pace", "0", "--json"};
        if (!prefix.isEmpty()) {
            arguments << "--replay" << prefix;
        }
        const CliResult result =
            RunCli(arguments +
                   QStringList{"board", QStringLiteral("http://hi.baidu.com/") + space, "--save"});
        EXPECT_EQ(result.exitCode, 1) << space;
        EXPECT_EQ(FinalLabels(JsonLines(result.out)).at("lblmsg"), status) << space;
        EXPECT_EQ(app.Files(), QStringList{}) << space;
    }
}

// Messages whose end markers are all missing but one at the very end: each field would run to
// the end of the page, and the page's size would be saved once per message.
TEST_F(BoardTest, APageWithOneFarEndMarkerIsSavedAtNoMoreThanItsSize) {
    std::string page;
    for (int i = 0; i < 300; ++i) {
        page += "<td width=\"5%\">" + std::to_string(i) +
                " \" rename=\"a\" repid=\" date\">t <div name='cmtcontent'>m" + std::to_string(i);
    }
    page += "</td>| <a href</div>";
    sim_.Server().SetPage("/odd/profile", "个人档案 留言(<b>300</b>条");
    sim_.Server().SetPage("/odd/board/index/0", page);
    Retrieve("http://hi.baidu.com/odd");
    ASSERT_EQ(window_.rows.RowCount(), 300);
    EXPECT_EQ(window_.Row(1), (QStringList{"1", "", "a", "", ""}));
    EXPECT_EQ(window_.Row(300), (QStringList{"300", "", "a", "", "m299</td>| <a href"}));
    EXPECT_TRUE(RunBoardSave(window_));
    EXPECT_LT(app_.Read("odd/留言版.htm").size(), 2 * page.size());
}

// A board of 260 messages (pages 0 to 5) whose pages 1 to 3 fail: the walk reads on to the
// last page the count names, the window and the CLI tell the three pages, and a count beyond
// what the board holds ends three answered pages past its last message.
TEST(BoardWalk, FailedPagesNeverEndTheWalkAndEveryPageNotReadIsTold) {
    spacesim::Space space = spacesim::GenerateSpace("longwren", 1);
    for (int i = 1; i <= 260; ++i) {
        space.board.push_back({"访客" + std::to_string(i), "2010-01-01 08:00", "你好"});
    }
    SimFixture sim({std::move(space)});
    const std::string page = "hi.baidu.com/longwren/board/index/";
    for (const char* k : {"1", "2", "3"}) {
        sim.SetFault(std::string("/longwren/board/index/") + k, "status500");
    }
    TempFolder app;
    TestRecordWindow window{app.Path()};
    window.address = QStringLiteral("http://hi.baidu.com/longwren");
    RunBoardRetrieval(window);
    EXPECT_EQ(sim.Requests(), (Log{"hi.baidu.com/longwren/profile", page + "0", page + "0",
                                   page + "1", page + "2", page + "3", page + "4", page + "5"}));
    ASSERT_EQ(window.rows.RowCount(), 110);
    EXPECT_EQ(window.Row(51).at(1), "60");
    EXPECT_EQ(window.Row(110).at(1), "1");
    EXPECT_EQ(window.Status(), "获取完毕，共110条留言，其中 3 个页面读取失败");

    const CliResult result = RunCli({"--app-dir", app.Path(), "--pace", "0", "--json", "board",
                                     "http://hi.baidu.com/longwren", "--save"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(FinalLabels(JsonLines(result.out)).at("lblmsg"),
              "110 条留言已备份，其中 3 个页面读取失败");
    EXPECT_NE(app.Read("longwren/留言版.htm").find("N0.110\r\n"), std::string::npos);

    // Pages 0 to 9 counted, 0 to 5 holding messages: 6, 7 and 8 end the walk, 9 is unread.
    sim.Server().ClearFaults();
    sim.Server().SetPage("/longwren/profile", "个人档案 留言(<b>500</b>条");
    sim.ClearRequests();
    RunBoardRetrieval(window);
    EXPECT_EQ(sim.Requests().size(), 11u);
    EXPECT_EQ(window.rows.RowCount(), 260);
    EXPECT_EQ(window.LastRetrieval().unreadPages, 4);

    // A count of 1,000 pages on a server that fails every page after the first: twenty
    // failures in a row end the walk, and every page not read is told.
    sim.Server().SetPage("/longwren/profile", "个人档案 留言(<b>50000</b>条");
    for (int k = 1; k <= 40; ++k) {
        sim.SetFault("/longwren/board/index/" + std::to_string(k), "status500");
    }
    sim.ClearRequests();
    RunBoardRetrieval(window);
    EXPECT_EQ(sim.Requests().size(), 23u);
    EXPECT_EQ(window.rows.RowCount(), 50);
    EXPECT_EQ(window.LastRetrieval().unreadPages, 999);
}

TEST_F(BoardTest, CliListsTheBoardAndSavesIt) {
    const CliResult result = RunCli({"--app-dir", app_.Path(), "--pace", "0", "--json", "board",
                                     "http://hi.baidu.com/busywren", "--save"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find(R"({"list":"LVboard","row":["51","1","访客51")"), std::string::npos);
    EXPECT_NE(result.out.find(R"({"label":"lblmsg","text":"51 条留言全部备份完毕！"})"),
              std::string::npos);
    EXPECT_FALSE(app_.Read("busywren/留言版.htm").empty());
}

}  // namespace
