#include <gtest/gtest.h>

#include <QDir>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestRecordWindow.h"
#include "board/MessageBoard.h"
#include "platform/Codepage.h"
#include "platform/EventPump.h"
#include "platform/Shell.h"

namespace {

using Log = std::vector<std::string>;

const QString kBusy = QStringLiteral("http://hi.baidu.com/busywren");

std::string Ansi(const char* utf8) {
    return platform::ToAnsi(QString::fromUtf8(utf8));
}

class BoardTest : public ::testing::Test {
protected:
    BoardTest() {
        platform::SetShellHandler(
            [this](const QString& verb, const QString& target) { opened_ << verb + " " + target; });
    }
    ~BoardTest() override { platform::SetShellHandler({}); }

    void Retrieve(const QString& address) {
        window_.address = address;
        sim_.ClearRequests();
        RunBoardRetrieval(window_);
    }
    static std::string BoardPath(const std::string& space, int page) {
        return "hi.baidu.com/" + space + "/board/index/" + std::to_string(page);
    }

    SimFixture sim_;
    TempFolder app_;
    TestRecordWindow window_{app_.Path()};
    QStringList opened_;
};

TEST_F(BoardTest, BoardOfMoreThanFiftyIsReadPageByPageAndSavedRecordByRecord) {
    Retrieve(kBusy);
    EXPECT_EQ(sim_.Requests(), (Log{"hi.baidu.com/busywren/profile", BoardPath("busywren", 0),
                                    BoardPath("busywren", 0), BoardPath("busywren", 1)}));
    ASSERT_EQ(window_.rows.RowCount(), 51);
    EXPECT_EQ(window_.Row(1),
              (QStringList{"1", "51", "Tom &amp; Jerry", "2009-02-01 08:00", "你好！"}));
    EXPECT_EQ(window_.Row(51), (QStringList{"51", "1", "访客51", "2009-02-23 10:50", "你好！"}));
    EXPECT_EQ(window_.statuses.first(), "您的百度空间共有51条留言");
    EXPECT_TRUE(window_.statuses.contains("您的百度空间共有51条留言，正在获取第51留言"));
    EXPECT_EQ(window_.Status(), "获取完毕，共51条留言");
    EXPECT_TRUE(window_.saveEnabled);

    EXPECT_TRUE(RunBoardSave(window_));
    const std::string file = app_.Read("busywren/留言版.htm");
    EXPECT_EQ(file.substr(0, file.find("N0.2")),
              Ansi("N0.1\r\n   留言序号：51\r\n   留言者：Tom &amp; Jerry\r\n"
                   "   留言时间：2009-02-01 08:00\r\n   留言内容：你好！\r\n"
                   "              <br><br>\r\n"));
    EXPECT_NE(file.find(Ansi("   留言内容：第一行\n第二行\r\n")), std::string::npos);
    EXPECT_NE(file.find(Ansi("N0.51\r\n   留言序号：1\r\n")), std::string::npos);
    EXPECT_TRUE(window_.statuses.contains("共 51条留言，正在备份第51留言"));
    EXPECT_EQ(window_.Status(), "51 条留言全部备份完毕！");
    EXPECT_EQ(opened_, QStringList{"explore " + app_.Path() + "/busywren/"});

    // Saving again replaces the file with the list as it stands now.
    window_.rows.Clear();
    EXPECT_TRUE(RunBoardSave(window_));
    EXPECT_EQ(app_.Read("busywren/留言版.htm"), "");
    EXPECT_EQ(window_.Status(), "0 条留言全部备份完毕！");
}

TEST_F(BoardTest, FiftyMessagesComeFromPageZeroRequestedOnce) {
    sim_.Server().SetPage("/busywren/profile", "留言(<b>50</b>条");
    Retrieve(kBusy);
    EXPECT_EQ(sim_.Requests(), (Log{"hi.baidu.com/busywren/profile", BoardPath("busywren", 0)}));
    EXPECT_EQ(window_.rows.RowCount(), 50);
    EXPECT_EQ(window_.Row(50).at(1), "2");
    EXPECT_TRUE(window_.statuses.contains("您的百度空间共有50条留言，正在获取第50条留言"));
    EXPECT_EQ(window_.Status(), "获取完毕，共50条留言");
}

// Pages an archive may serve without the markers; every walk still ends.
TEST_F(BoardTest, PagesWithoutMarkersEndTheirWalks) {
    struct Case {
        std::string count;
        std::string boardPage;
        int rows;
        int pages;
    };
    const Case cases[] = {
        {"abc", "5%\">1</td>", 0, 1},
        {"", "", 0, 1},
        {"3", "no messages", 3, 1},
        // Three pages, each without a message: one row apiece.
        {"120", "<html>nothing here</html>", 3, 4},
        // Contents without numbers: the number cut comes out empty on every step.
        {"51", "name='cmtcontent'>a</div>name='cmtcontent'>b</div>", 6, 3},
        {"99999", "5%\">1</td>", 0, 1},
    };
    for (const Case& c : cases) {
        sim_.Server().SetPage("/odd/profile", "留言(<b>" + c.count + "</b>条");
        for (int k = 0; k < 3; ++k) {
            sim_.Server().SetPage("/odd/board/index/" + std::to_string(k), c.boardPage);
        }
        window_.rows.Clear();
        Retrieve(QStringLiteral("http://hi.baidu.com/odd"));
        EXPECT_EQ(window_.rows.RowCount(), c.rows) << c.count;
        EXPECT_EQ(sim_.Requests().size(), static_cast<size_t>(c.pages + 1)) << c.count;
    }
}

TEST_F(BoardTest, FailedRequestsAreCountedAndUnusableAddressesRequestNothing) {
    sim_.SetFault("/busywren/board/index/1", "refuse");
    Retrieve(kBusy);
    EXPECT_EQ(window_.Status(), "获取完毕，共51条留言，其中 1 个页面读取失败");

    for (const QString& address : {QString(), QStringLiteral("http://hi.baidu.com")}) {
        window_.saveEnabled = false;
        Retrieve(address);
        EXPECT_TRUE(sim_.Requests().empty());
        EXPECT_EQ(window_.rows.RowCount(), 0);
        EXPECT_EQ(window_.Status(), "获取完毕，共0条留言");
        EXPECT_TRUE(window_.saveEnabled);
    }
}

TEST_F(BoardTest, SaveThatStopsOrCannotWriteKeepsTheEarlierPage) {
    Retrieve(QStringLiteral("http://hi.baidu.com/jiaoliao"));
    ASSERT_TRUE(RunBoardSave(window_));
    const std::string earlier = app_.Read("jiaoliao/留言版.htm");
    ASSERT_FALSE(earlier.empty());

    window_.rows.SetCell(1, 4, QStringLiteral("changed"));
    window_.pump.waits = 0;
    window_.pump.waitsBeforeStop = 5;
    EXPECT_THROW(RunBoardSave(window_), platform::RunStopped);
    EXPECT_EQ(app_.Read("jiaoliao/留言版.htm"), earlier);
    EXPECT_EQ(QDir(app_.Path() + "/jiaoliao").entryList(QDir::Files | QDir::Hidden),
              QStringList{"留言版.htm"});

    // A file where the space folder belongs: nothing can be written beneath it.
    window_.pump.waitsBeforeStop = -1;
    window_.address = QStringLiteral("http://hi.baidu.com/blocked");
    app_.Write("blocked", "not a folder");
    EXPECT_FALSE(RunBoardSave(window_));
    EXPECT_EQ(window_.Status(), "备份失败：无法写入留言版.htm");
}

TEST_F(BoardTest, CliListsTheBoardAndSavesIt) {
    const CliResult result =
        RunCli({"--app-dir", app_.Path(), "--pace", "0", "--json", "board", kBusy, "--save"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream out(result.out);
    int rows = 0;
    std::string status;
    for (std::string line; std::getline(out, line);) {
        const auto json = nlohmann::json::parse(line);
        if (json.contains("list")) {
            EXPECT_EQ(json["list"], "LVboard");
            ++rows;
        } else {
            EXPECT_EQ(json["label"], "lblmsg");
            status = json["text"];
        }
    }
    EXPECT_EQ(rows, 51);
    EXPECT_EQ(status, "51 条留言全部备份完毕！");
    EXPECT_NE(app_.Read("busywren/留言版.htm").find(Ansi("N0.51\r\n")), std::string::npos);

    const CliResult bad = RunCli({"--app-dir", app_.Path(), "board", kBusy, "--wait", "1"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("usage:"), std::string::npos);
}

}  // namespace
