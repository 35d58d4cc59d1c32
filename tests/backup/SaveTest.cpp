#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <nlohmann/json.hpp>
#include <utility>

#include "SimFixture.h"
#include "TempFolder.h"
#include "TestArticleWindow.h"
#include "backup/ArticleCatalogue.h"
#include "backup/ArticleSave.h"
#include "platform/Codepage.h"
#include "platform/Shell.h"

namespace {

const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");
const QString kItem = kSample + QStringLiteral("/blog/item/");

// While it lives, no file of this process may grow beyond the limit: a write past it fails as on
// a full disk, whoever runs the test (root included).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

std::string Ansi(const char* utf8) {
    return platform::ToAnsi(QString::fromUtf8(utf8));
}

class SaveTest : public ::testing::Test {
protected:
    SaveTest() {
        platform::SetShellHandler(
            [this](const QString& verb, const QString& target) { opened_ << verb + " " + target; });
    }
    ~SaveTest() override { platform::SetShellHandler({}); }

    // The catalogue of the sample space chained into the save, as the one-click box does.
    void BackUpSample(const QString& format) {
        window_.address = kSample;
        window_.format = format;
        window_.oneClick = true;
        RunArticleCatalogue(window_);
    }
    std::string Read(const QString& relative) const { return app_.Read(relative); }
    QStringList Files() const { return app_.Files(); }

    SimFixture sim_;
    TempFolder app_;
    TestArticleWindow window_{app_.Path()};
    QStringList opened_;
};

TEST_F(SaveTest, HtmlKeepsTheArticleMarkupAsOneLineInCodePage936) {
    // An article that says "类别" itself is kept whole, up to its category line.
    sim_.Server().SetPage(
        "/jiaoliao/blog/item/74a62f4a4e0327e2.html",
        "<div class=\"tit\">查看文章</div><div class=\"tit2\">无类别</div><div class=\"date\">"
        "2008-04-22 23:10</div><div id=\"blog_text\" class=\"cnt\"  ><p>把旧文章按类别整理了一遍。"
        "</p><p>第二段</p></div><div class=\"opt\">类别：旅途见闻<span>|</span></div>");
    BackUpSample(QStringLiteral("html"));
    EXPECT_EQ(Read("jiaoliao/旅途见闻/13 火车上的见闻.html"),
              Ansi("</div><div class=\"tit2\">无类别</div><div class=\"date\">2008-04-22 "
                   "23:10</div><div id=\"blog_text\" class=\"cnt\"  ><p>把旧文章按类别整理了一遍。"
                   "</p><p>第二段</p></div><div class=\"opt\">\r\n"));
    EXPECT_EQ(Files().size(), 17);
    EXPECT_EQ(
        Read("jiaoliao/生活随笔/8 新的开始.html"),
        Ansi("</div><div class=\"tit2\">新的开始</div><div class=\"date\">2008-03-30 "
             "10:00</div><table><tr><td><div id=\"blog_text\" class=\"cnt\"  ><p>我的空间开张了！"
             "</p></div></td></tr></table><div class=\"opt\">\r\n"));
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/旅途见闻/14 地图   路线.html"));
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/读书笔记/17 What's next  书单 计划.html"));
    EXPECT_TRUE(window_.statuses.contains("共有文章17篇，正在保存第17篇文章为网页文件(.html)"));
    EXPECT_EQ(window_.Status(), "保存完毕！");
    EXPECT_EQ(opened_, QStringList{"explore " + app_.Path() + "/jiaoliao/"});
    EXPECT_TRUE(window_.saveEnabled);
    EXPECT_TRUE(window_.formatEnabled);
    EXPECT_EQ(window_.saveCaption, "保存文章");
}

TEST_F(SaveTest, TextHasFourLabelledLinesWithPicturesAndLinksReduced) {
    // An article whose text names a "类别：" of its own keeps its category.
    sim_.Server().SetPage(
        "/jiaoliao/blog/item/74a62f4a4e0327e2.html",
        "<div class=\"tit\">查看文章</div><div class=\"date\">2008-04-22 23:10</div><div "
        "id=\"blog_text\" class=\"cnt\"  ><p>类别：小说</p></div><div class=\"opt\">类别：旅途见闻"
        "<span>|</span></div>");
    // Text beside pictures is kept, their addresses after it.
    sim_.Server().SetPage(
        "/jiaoliao/blog/item/a06933bce13b4524.html",
        "<div class=\"tit\">查看文章</div><div class=\"date\">2008-04-12 12:00</div><div "
        "id=\"blog_text\" class=\"cnt\"  ><p>做了红烧肉。</p><a "
        "href=\"http://img.pagewren.test/3.jpg\">"
        "<img src=\"http://img.pagewren.test/3.jpg\"></a><p>味道还不错。</p><a "
        "href=\"http://img.pagewren.test/4.jpg\"><img src=\"http://img.pagewren.test/4.jpg\"></a>"
        "</div><div class=\"opt\">类别：生活随笔<span>|</span></div>");
    BackUpSample(QStringLiteral("txt"));
    EXPECT_EQ(Read("jiaoliao/旅途见闻/13 火车上的见闻.txt"),
              Ansi("标题：火车上的见闻\r\n类别：旅途见闻\r\n时间：2008-04-22 23:10\r\n"
                   "内容：类别：小说\r\n"));
    EXPECT_EQ(Files().size(), 17);
    EXPECT_EQ(Read("jiaoliao/生活随笔/1 春天来了：去公园走走.txt"),
              Ansi("标题：春天来了：去公园走走\r\n类别：生活随笔\r\n时间：2008-05-18 09:12\r\n"
                   "内容：今天天气很好，我们去公园走了走。花都开了：桃花、杏花、樱花。\r\n"));
    EXPECT_EQ(Read("jiaoliao/生活随笔/5 C： 照片 整理完了.txt"),
              Ansi("标题：C： 照片 整理完了\r\n类别：生活随笔\r\n时间：2008-04-20 22:18\r\n"
                   "内容：图片地址：http：//img.pagewren.test/1.jpg\r\n"));
    EXPECT_EQ(Read("jiaoliao/生活随笔/6 周末做饭.txt"),
              Ansi("标题：周末做饭\r\n类别：生活随笔\r\n时间：2008-04-12 12:00\r\n"
                   "内容：做了红烧肉。味道还不错。\r\n图片地址：http：//img.pagewren.test/3.jpg\r\n"
                   "图片地址：http：//img.pagewren.test/4.jpg\r\n"));
    EXPECT_EQ(Read("jiaoliao/生活随笔/7 一个有用的网站.txt"),
              Ansi("标题：一个有用的网站\r\n类别：生活随笔\r\n时间：2008-04-05 15:45\r\n"
                   "内容：网页地址：一个链接\r\n"));
    EXPECT_EQ(Read("jiaoliao/旅途见闻/9 杭州：西湖边的一天.txt"),
              Ansi("标题：杭州：西湖边的一天\r\n类别：旅途见闻\r\n时间：2008-06-20 18:00\r\n"
                   "内容：‘欲把西湖比西子’，果然很美。\r\n"));
    // The status names the article after the one being written, then the end.
    const qsizetype last = window_.statuses.size();
    EXPECT_EQ(window_.statuses[last - 2], "共有文章17篇，正在保存第18篇文章为文本文件(.txt)");
    EXPECT_EQ(window_.statuses[last - 1], "保存完毕！");
    // Another address typed after the listing: the listed articles still go to their space.
    window_.address = QStringLiteral("http://hi.baidu.com/quietwren");
    RunArticleSave(window_);
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/quietwren"));
}

// The window checks the format box before a run, but the box stays editable while the
// catalogue runs: a format typed meanwhile reaches the save, which must not end "保存完毕！".
TEST_F(SaveTest, UnknownFormatSavesNothingAndSaysSoAndAnEmptyListWritesNothing) {
    BackUpSample(QStringLiteral("HTML"));
    const auto requests = sim_.Requests().size();
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_EQ(window_.Status(), UnknownFormatCaption(QStringLiteral("HTML")));
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_EQ(sim_.Requests().size(), requests);

    // An empty list ends as a save does but leaves no folder and no reading copy behind.
    sim_.ClearRequests();
    TestArticleWindow empty(app_.Path(), kSample);
    RunArticleSave(empty);
    EXPECT_TRUE(sim_.Requests().empty());
    EXPECT_EQ(empty.Status(), "保存完毕！");
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/jiaoliao"));
    EXPECT_TRUE(opened_.isEmpty());
}

// The save follows what the catalogue found: nothing for a space that is not there, and a
// closing status that still names the listing pages the catalogue could not read.
TEST_F(SaveTest, TheCatalogueBehindTheListDecidesWhatTheSaveMaySaveAndSay) {
    window_.address = QStringLiteral("http://hi.baidu.com/closedwren");
    RunArticleCatalogue(window_);
    EXPECT_FALSE(window_.saveEnabled);
    RunArticleSave(window_);
    EXPECT_EQ(window_.Status(), "您的百度空间不存在！！");
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/closedwren"));
    EXPECT_TRUE(opened_.isEmpty());

    sim_.SetFault("/jiaoliao/blog/category/life/index/1", "refuse");
    BackUpSample(QStringLiteral("html"));
    EXPECT_EQ(Files().size(), 14);
    EXPECT_EQ(window_.Status(), "保存完毕！文章目录有 1 个页面读取失败，可能有文章未列出");
    const auto record = nlohmann::json::parse(Read("jiaoliao/保存记录.json"));
    EXPECT_EQ(record["articles"]["unreadPages"], 1);
}

// A page larger than the files the process may write: its new file fails as on a full disk,
// while the record and the reading copy, smaller, are written.
TEST_F(SaveTest, AnArticleWhoseNewFileFailedIsNotedFailedBesideItsEarlierCopy) {
    sim_.Server().SetPage("/jiaoliao/blog/item/a06933bce13b4524.html",
                          "<div class=\"tit\">查看文章</div><p>" + std::string(256 * 1024, 'x') +
                              "</p><div class=\"opt\">类别：生活随笔</div>");
    window_.address = kSample;
    window_.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
    window_.AddArticle("周末做饭", "生活随笔", kItem + "a06933bce13b4524.html");
    QDir().mkpath(app_.Path() + "/jiaoliao/生活随笔");
    app_.Write("jiaoliao/生活随笔/2 周末做饭.html", "earlier copy");
    {
        const FileSizeLimit limit(64 * 1024);
        RunArticleSave(window_);
    }
    EXPECT_EQ(window_.Status(), "保存完毕！其中 1 篇文章保存失败");
    EXPECT_EQ(Read("jiaoliao/生活随笔/2 周末做饭.html"), "earlier copy");
    const auto rows = nlohmann::json::parse(Read("jiaoliao/保存记录.json"))["articles"]["rows"];
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["outcome"], "saved");
    EXPECT_EQ(rows[1]["outcome"], "failed");
    const QString start = QString::fromStdString(Read("jiaoliao/index.html"));
    EXPECT_TRUE(start.contains("文章《周末做饭》（生活随笔）未能保存，下面是原有的文件："))
        << start.toStdString();
}

TEST_F(SaveTest, ShortAddressSavesStraightBeneathTheApplicationFolder) {
    window_.address = QStringLiteral("http://hi.baidu.com");
    window_.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
    RunArticleSave(window_);
    EXPECT_EQ(Files(), QStringList{"生活随笔/1 新的开始.html"});
    EXPECT_EQ(opened_, QStringList{"explore " + app_.Path() + "//"});
}

TEST_F(SaveTest, FailedRequestOrErrorPageWritesNoFileAndIsCountedInTheEndStatus) {
    // What a failing service or archive may send in place of an article page.
    const std::pair<const char*, const char*> failures[] = {
        {"a06933bce13b4524", "refuse"},      {"8e89f1c3ee13d914", "status404"},
        {"95042cd6b399fa40", "empty"},       {"0ba3cff3634c462f", "moved"},
        {"4f60f51dc5392a1b", "placeholder"},
    };
    for (const auto& [id, fault] : failures) {
        sim_.SetFault(("/jiaoliao/blog/item/" + std::string(id) + ".html"), fault);
    }
    // A page whose connection closed early, with no length to tell: it ends before "类别".
    sim_.Server().SetPage("/jiaoliao/blog/item/74a62f4a4e0327e2.html",
                          "<div class=\"tit\">查看文章</div><div class=\"tit2\">火车上");
    for (const char* format : {"html", "txt"}) {
        SCOPED_TRACE(format);
        TestArticleWindow window(app_.Path(), kSample);
        window.format = QString::fromUtf8(format);
        const QString ext = QStringLiteral(".") + window.format;
        window.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
        QDir().mkpath(app_.Path() + "/jiaoliao/生活随笔");
        for (const auto& [id, fault] : failures) {
            const QString name = QString::fromUtf8(fault);
            window.AddArticle(name, "生活随笔", kItem + id + ".html");
            // Earlier good copies must survive a save made while the service or its archive
            // fails.
            app_.Write("jiaoliao/生活随笔/" + QString::number(window.Articles().RowCount()) + " " +
                           name + ext,
                       "earlier copy");
        }
        window.AddArticle("cut", "生活随笔", kItem + "74a62f4a4e0327e2.html");
        app_.Write("jiaoliao/生活随笔/7 cut" + ext, "earlier copy");
        const SaveOutcome outcome = RunArticleSave(window);
        EXPECT_EQ(outcome.articles, 7);
        EXPECT_EQ(outcome.failed, 6);
        for (int i = 0; i < 5; ++i) {
            const QString name = QString::number(i + 2) + " " + failures[i].second + ext;
            EXPECT_EQ(Read("jiaoliao/生活随笔/" + name), "earlier copy") << name.toStdString();
        }
        EXPECT_EQ(Read("jiaoliao/生活随笔/7 cut" + ext), "earlier copy");
        EXPECT_FALSE(Read("jiaoliao/生活随笔/1 新的开始" + ext).empty());
        EXPECT_EQ(window.Status(), "保存完毕！其中 6 篇文章保存失败");
    }
}

TEST_F(SaveTest, UnwritableSpaceFolderReportsEveryArticleFailed) {
    app_.Write("jiaoliao", "a file where the space folder belongs");
    window_.address = kSample;
    window_.format = QStringLiteral("txt");
    window_.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
    window_.AddArticle("周末做饭", "生活随笔", kItem + "a06933bce13b4524.html");
    RunArticleSave(window_);
    EXPECT_EQ(window_.Status(), "保存完毕！其中 2 篇文章保存失败");
    EXPECT_EQ(Files(), QStringList{"jiaoliao"});
}

TEST_F(SaveTest, HostileNamesStayInsideTheSpaceFolderAndNeverOverwriteEachOther) {
    window_.address = kSample;
    const QString page = kItem + "5098d152bdc1d322.html";
    window_.AddArticle("../../逃出", "../..", page);
    window_.AddArticle("same", "a/b", page);
    window_.AddArticle("same", "a_b", page);
    window_.AddArticle("", "", page);
    window_.AddArticle("..", ".", page);
    window_.AddArticle(QString("tab\there"), QString("ctl\x01"), page);
    window_.AddArticle(QString(300, QChar(0x6587)), QString(300, QChar(0x7C7B)), page);
    RunArticleSave(window_);
    EXPECT_EQ(window_.Status(), "保存完毕！");
    const QStringList files = Files();
    ASSERT_EQ(files.size(), 7) << files.join('\n').toStdString();
    for (const QString& file : files) {
        EXPECT_TRUE(file.startsWith("jiaoliao/")) << file.toStdString();
        const QStringList names = file.split('/');
        for (const QString& name : names) {
            EXPECT_LE(name.toUtf8().size(), 255) << file.toStdString();
        }
        EXPECT_LE(names.last().toUtf8().size(), 255 - 4) << "room for .doc: " << file.toStdString();
    }
    EXPECT_TRUE(files.contains("jiaoliao/.._../1 .._.._逃出.html"));
    EXPECT_TRUE(files.contains("jiaoliao/a_b/2 same.html"));
    EXPECT_TRUE(files.contains("jiaoliao/a_b/3 same.html"));
    EXPECT_TRUE(files.contains("jiaoliao/4 .html"));
    EXPECT_TRUE(files.contains("jiaoliao/_/5 ...html"));
    EXPECT_TRUE(files.contains("jiaoliao/ctl_/6 tab_here.html"));
}

TEST_F(SaveTest, StoppedSaveWritesNoFurtherFileAndDoesNotEnd) {
    // Stopped once the first article was handed to the writer: the txt status names the
    // article after the one being written.
    for (const auto& [format, progress] :
         {std::pair{QStringLiteral("html"), QStringLiteral("第1篇文章为网页文件(.html)")},
          std::pair{QStringLiteral("txt"), QStringLiteral("第3篇文章为文本文件(.txt)")}}) {
        TestArticleWindow window(app_.Path(), kSample);
        window.format = format;
        const QString first = app_.Path() + "/jiaoliao/生活随笔/1 新的开始." + format;
        window.pump.pace = 0.001;
        window.stopOnStatus = QStringLiteral("共有文章3篇，正在保存") + progress;
        window.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
        window.AddArticle("周末做饭", "生活随笔", kItem + "a06933bce13b4524.html");
        window.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
        EXPECT_THROW(RunArticleSave(window), platform::RunStopped);
        // What was handed over before the stop is written whole; nothing after it.
        EXPECT_GT(QFileInfo(first).size(), 0);
        EXPECT_EQ(QDir(app_.Path() + "/jiaoliao/生活随笔").entryList(QDir::Files).size(), 1)
            << format.toStdString();
        EXPECT_FALSE(window.statuses.contains("保存完毕！"));
        EXPECT_TRUE(opened_.isEmpty());
        QDir(app_.Path() + "/jiaoliao").removeRecursively();
    }
}

}  // namespace
