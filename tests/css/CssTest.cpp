#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "css/CssFetch.h"
#include "css/CssLayout.h"
#include "css/CssSave.h"
#include "css/CssWindowControls.h"
#include "platform/EventPump.h"
#include "sim/Cp936.h"

namespace {

using Message = std::pair<QString, QString>;

const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");
const Message kFetchFailed{QStringLiteral("请填写正确的百度空间地址或者检查网络是否连接！"),
                           QStringLiteral("错误提示")};
const Message kTooLarge{QStringLiteral("CSS代码过大（超过 262144 个字符），不予显示"),
                        QStringLiteral("错误提示")};
// The sample sheet one rule per line, as fetched.
const char* const kSampleLaidOut =
    "\r\n/* 鹪鹩的小窝 空间模板 */\r\nbody{margin:0;background:#f3eefa;font:12px 宋体}\r\n\r\n"
    "/*标题*/\r\n#header h1{color:#5a3d8a}\r\na{color:#33f}\r\na:hover{color:#f60}\r\n"
    ".modhead{font-weight:bold}\r\n";

// The CSS window's controls as plain values, every message box kept.
class TestCssWindow : public CssWindowControls {
public:
    explicit TestCssWindow(QString appFolder) : appFolder(std::move(appFolder)) {}
    QString Address() const override { return address; }
    QString CssText() const override { return css; }
    void SetCssText(const QString& text) override { css = text; }
    void SetSaveEnabled(bool enabled) override { saveEnabled = enabled; }
    void ShowMessage(const QString& text, const QString& title) override {
        messages.emplace_back(text, title);
    }
    platform::EventPump& Pump() override { return pump; }
    QString AppFolder() const override { return appFolder; }

    QString appFolder;
    QString address = kSample;
    QString css;
    bool saveEnabled = true;
    std::vector<Message> messages;
    platform::SleepingPump pump{0.0};
};

class CssTest : public ::testing::Test {
protected:
    // A home page for the sample space with the link after `filler` characters of text.
    void ServeHomePage(int filler, const std::string& link) {
        sim_.Server().SetPage("/jiaoliao", "<html><body>" + std::string(filler, 'x') +
                                               "<link href=\"" + link + "\"></body></html>");
    }
    // Fetches into a box holding another space's sheet and expects the message with the box
    // emptied: the sheet left in it would stand under an address it does not belong to.
    void ExpectFetchFails(const QString& address, const char* why,
                          const Message& message = kFetchFailed) {
        TestCssWindow window(app_.Path());
        window.address = address;
        window.css = QStringLiteral("old");
        EXPECT_FALSE(RunCssFetch(window)) << why;
        EXPECT_EQ(window.messages, std::vector<Message>{message}) << why;
        EXPECT_TRUE(window.css.isEmpty()) << why;
        EXPECT_FALSE(window.saveEnabled) << why;
    }

    SimFixture sim_;
    TempFolder app_;
};

TEST_F(CssTest, FetchLaysTheSheetOutAndSaveWritesItInCodePage936) {
    TestCssWindow window(app_.Path());
    window.css = QStringLiteral("old");
    ASSERT_TRUE(RunCssFetch(window));
    EXPECT_EQ(window.css, QString::fromUtf8(kSampleLaidOut));
    EXPECT_TRUE(window.saveEnabled);
    EXPECT_EQ(sim_.Requests(),
              (std::vector<std::string>{"hi.baidu.com/jiaoliao",
                                        "hi.baidu.com/jiaoliao/css/item/6a81f2c4e93d0b57.css"}));

    // An earlier file gives way to the new one.
    QDir(app_.Path()).mkdir(QStringLiteral("jiaoliao"));
    app_.Write("jiaoliao/空间模板.css", "old");
    ASSERT_TRUE(RunCssSave(window));
    EXPECT_EQ(app_.Read("jiaoliao/空间模板.css"),
              spacesim::ToCp936(std::string(kSampleLaidOut) + "\r\n"));
    EXPECT_TRUE(QFileInfo(app_.Path() + "/csscode").isDir());
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(CssTest, FailuresShowTheMessageAndEmptyTheBox) {
    ExpectFetchFails(QStringLiteral("http://hi.baidu.com"), "19 characters");
    ExpectFetchFails(QStringLiteral("http://hi.baidu.com@127.0.0.1/jiaoliao"), "tail off the host");
    EXPECT_TRUE(sim_.Requests().empty());

    // The service root with its "/" names no space either: nothing is asked.
    ExpectFetchFails(QStringLiteral("http://hi.baidu.com/"), "20 characters, no space name");
    EXPECT_TRUE(sim_.Requests().empty());
    ExpectFetchFails(QStringLiteral("http://hi.baidu.com/quietwren"), "home page without a link");

    sim_.SetFault("/jiaoliao/css/item/6a81f2c4e93d0b57.css", "status404");
    ExpectFetchFails(kSample, "sheet answered 404");
    sim_.SetFault("/jiaoliao/css/item/6a81f2c4e93d0b57.css", "notarchived");
    ExpectFetchFails(kSample, "a \"not archived\" page in the sheet's stead");
    sim_.SetFault("/jiaoliao/css/item/6a81f2c4e93d0b57.css", "refuse");
    ExpectFetchFails(kSample, "sheet request fails");
    sim_.SetFault("/jiaoliao", "status500");
    ExpectFetchFails(kSample, "home page answered 500");

    sim_.Server().ClearFaults();
    sim_.ClearRequests();
    ServeHomePage(10, "/jiaoliao/css/item/../../sys/x?y.css");
    ExpectFetchFails(kSample, "sheet name off the sheet folder");
    ServeHomePage(10, "/jiaoliao/css/item/");
    ExpectFetchFails(kSample, "no .css after the link");
    // No sheet is asked for; the blog page shows that the space is there.
    EXPECT_EQ(sim_.Requests(),
              (std::vector<std::string>{"hi.baidu.com/jiaoliao", "hi.baidu.com/jiaoliao/blog",
                                        "hi.baidu.com/jiaoliao", "hi.baidu.com/jiaoliao/blog"}));

    // 24 characters of markup and "http://hi.baidu.com" come before the tail.
    const std::string link = "http://hi.baidu.com/jiaoliao/css/item/6a81f2c4e93d0b57.css";
    ServeHomePage(32766 - 24 - 19, link);
    TestCssWindow window(app_.Path());
    EXPECT_TRUE(RunCssFetch(window)) << "link at character 32767";
    ServeHomePage(32767 - 24 - 19, link);
    ExpectFetchFails(kSample, "link at character 32768");

    // A sheet too long for the box is refused before it is laid out.
    ServeHomePage(0, link);
    sim_.Server().SetPage("/jiaoliao/css/item/6a81f2c4e93d0b57.css",
                          std::string(kLargestSheet + 1, '}'));
    ExpectFetchFails(kSample, "sheet too long", kTooLarge);
}

// An address that names no space: the service's 404, a closed space sent to the service's
// error page (also as the archive captured it), an archive's "not archived" page answered 200.
TEST_F(CssTest, AddressWithoutASpaceSaysSoAndExits1) {
    const QString archive = QStringLiteral("http://127.0.0.1:%1/web/2012id_/").arg(sim_.Port());
    sim_.SetFault("/jiaoliao", "notarchived");
    sim_.SetFault("/jiaoliao/blog", "notarchived");
    const std::pair<QString, QString> cases[] = {
        {QString(), QStringLiteral("http://hi.baidu.com/nosuchwren")},
        {QString(), QStringLiteral("http://hi.baidu.com/closedwren")},
        {archive, QStringLiteral("http://hi.baidu.com/closedwren")},
        {archive, kSample}};
    for (const auto& [prefix, address] : cases) {
        QStringList arguments{"--app-dir", app_.Path(), "--pace", "0", "--json"};
        if (!prefix.isEmpty()) {
            arguments << "--replay" << prefix;
        }
        const CliResult result = RunCli(arguments + QStringList{"css", address, "--save"});
        EXPECT_EQ(result.exitCode, 1) << address.toStdString() << result.err;
        EXPECT_EQ(JsonLines(result.out).front(),
                  (nlohmann::json{{"message", "您的百度空间不存在！！"}, {"title", "错误提示"}}))
            << address.toStdString() << " " << prefix.toStdString();
    }
    EXPECT_TRUE(app_.Files().empty());
}

TEST(CssLayoutTest, OnePassLaysOutAsTheThreeReplacementsAndAStopEndsIt) {
    platform::SleepingPump pump(0.0);
    // A "/*" whose "/" ends a "*/" is parted by the first replacement and gets no line break.
    const std::vector<std::pair<QString, QString>> cases = {
        {"a{b}/*c*/d", "a{b}\r\n\r\n/*c*/\r\nd"},
        {"*/*", "*/\r\n*"},
        {"/*/", "\r\n/*/\r\n"},
        {"a}\r\n}/**/", "a}\r\n\r\n}\r\n\r\n/**/\r\n"},
    };
    for (const auto& [sheet, laidOut] : cases) {
        EXPECT_EQ(LayOutRules(sheet, pump), laidOut) << sheet.toStdString();
    }

    // An interrupt or a closed window ends even a long layout.
    std::atomic<bool> stop{true};
    platform::SleepingPump stopped(0.0, &stop);
    EXPECT_THROW(LayOutRules(QString(kLargestSheet, QChar('}')), stopped), platform::RunStopped);
}

TEST_F(CssTest, SaveMessagesAndAFileThatCannotBeWritten) {
    TestCssWindow window(app_.Path());
    window.address = QStringLiteral("http://hi.baidu.com/");
    window.css = QStringLiteral("a{b}");
    EXPECT_FALSE(RunCssSave(window));
    EXPECT_EQ(window.messages, (std::vector<Message>{{"请填写正确的百度空间地址", "错误提示"}}));
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/csscode"));

    window.messages.clear();
    window.address = kSample;
    window.css.clear();
    EXPECT_FALSE(RunCssSave(window));
    EXPECT_EQ(window.messages,
              (std::vector<Message>{{"没有获取到CSS代码，请填写正确的百度空间地址", "Pagewren"}}));
    EXPECT_TRUE(QFileInfo(app_.Path() + "/csscode").isDir());
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/jiaoliao"));

    // A file where the space folder should be: nothing can be written beneath it.
    window.messages.clear();
    window.css = QStringLiteral("a{b}");
    app_.Write("jiaoliao", "not a folder");
    EXPECT_FALSE(RunCssSave(window));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_TRUE(window.messages[0].first.startsWith(QStringLiteral("无法写入文件：")));
    EXPECT_EQ(window.messages[0].second, QStringLiteral("错误提示"));
    EXPECT_EQ(app_.Read("jiaoliao"), "not a folder");
}

TEST_F(CssTest, CliReportsTheBoxAndTheMessagesAsJsonAndExits1OnAFailure) {
    auto run = [this](const char* address, int exitCode) {
        const CliResult result =
            RunCli({"--app-dir", app_.Path(), "--pace", "0", "--json", "css", address, "--save"});
        EXPECT_EQ(result.exitCode, exitCode) << address << result.err;
        return JsonLines(result.out);
    };
    // The box is shown as each step changes it; its last line is what it ends with. An
    // address copied from a browser with a trailing "/" names the same sheet.
    for (const char* address : {"http://hi.baidu.com/jiaoliao", "http://hi.baidu.com/jiaoliao/"}) {
        EXPECT_EQ(run(address, 0).back(),
                  (nlohmann::json{{"label", "txtcss"}, {"text", kSampleLaidOut}}));
    }
    EXPECT_FALSE(app_.Read("jiaoliao/空间模板.css").empty());

    EXPECT_EQ(run("http://hi.baidu.com/quietwren", 1),
              (std::vector<nlohmann::json>{
                  {{"message", kFetchFailed.first.toStdString()}, {"title", "错误提示"}},
                  {{"label", "txtcss"}, {"text", ""}}}));
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/quietwren"));

    // Fetched, but the file cannot be written where the space folder should be.
    app_.Write("smallwren", "not a folder");
    const std::string message = run("http://hi.baidu.com/smallwren", 1).back().value("message", "");
    EXPECT_TRUE(message.starts_with("无法写入文件：")) << message;
}

}  // namespace
