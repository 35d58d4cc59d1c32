#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <fstream>
#include <map>

#include "CliRunner.h"
#include "HeadlessChromium.h"
#include "RequiredTool.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "platform/Codepage.h"
#include "reading/ReadingNames.h"
#include "space/SavedSpace.h"

namespace {

const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");

bool Has(const std::string& text, const QString& part) {
    return text.find(part.toStdString()) != std::string::npos;
}

// Every file the saves wrote, with its bytes: the space folder less the reading copy.
std::map<QString, std::string> SavedFiles(const TempFolder& app) {
    std::map<QString, std::string> files;
    for (const QString& path : app.Files()) {
        if (!path.contains(kReadingFolderName) && !path.endsWith(kStartPageName)) {
            files[path] = app.Read(path);
        }
    }
    return files;
}

// The links of a page (href and src) that lead to no file; web addresses are not followed.
// The links the reading copy makes need no unescaping.
QStringList BrokenLinks(const QString& page) {
    QFile file(page);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
    const QString html = QString::fromUtf8(file.readAll());
    static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    QStringList broken;
    for (const QRegularExpressionMatch& match : link.globalMatch(html)) {
        const QString target =
            match.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        if (target.startsWith(QStringLiteral("http"))) {
            continue;
        }
        const QString path =
            QFileInfo(page).path() + "/" + QUrl::fromPercentEncoding(target.toUtf8());
        if (target.isEmpty() || !QFileInfo::exists(path)) {
            broken << target;
        }
    }
    return broken;
}

// The names removed from a folder (not moved away) while the watch lives.
class RemovalWatch {
public:
    explicit RemovalWatch(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        watching_ = inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_DELETE) >= 0;
    }
    ~RemovalWatch() { close(fd_); }
    RemovalWatch(const RemovalWatch&) = delete;
    RemovalWatch& operator=(const RemovalWatch&) = delete;

    bool Watching() const { return watching_; }

    QStringList Removed() const {
        QStringList names;
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t size; (size = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0) {
                    names << QFile::decodeName(event->name);
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

private:
    int fd_;
    bool watching_ = false;
};

class ReadingTest : public ::testing::Test {
protected:
    CliResult Cli(const QStringList& command) {
        return RunCli(QStringList{"--app-dir", app_.Path(), "--pace", "0"} + command);
    }
    QString Space() const { return app_.Path() + QStringLiteral("/jiaoliao/"); }
    QString Reading() const { return Space() + kReadingFolderName + "/"; }

    TempFolder app_;
};

// The sample space saved in all three formats (the text files from the archive, one article
// missing there) with its songs (one failing), CSS, board and comments: each save leaves its
// record and a reading copy, which Chromium reads from file:// without any server.
TEST_F(ReadingTest, ASpaceSavedInFullReadsInABrowser) {
    if (HeadlessChromium::Program().isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("chromium");
    }
    SimFixture sim;
    // A first save from a catalogue that missed a category: its articles are numbered anew
    // by the full save that follows, and the files under the old numbers stay.
    sim.SetFault("/jiaoliao/blog/category/life", "status500");
    ASSERT_EQ(Cli({"articles", kSample, "--wait", "0", "--save", "html"}).exitCode, 1);
    EXPECT_EQ(nlohmann::json::parse(app_.Read("jiaoliao/保存记录.json"))["articles"]["unreadPages"],
              2);
    EXPECT_TRUE(QString::fromUtf8(app_.Read("jiaoliao/" + kStartPageName))
                    .contains("文章目录有 2 个页面读取失败，可能有文章未列出"));
    sim.Server().ClearFaults();
    sim.SetFault("music.pagewren.test/songs/2.mp3", "status404");
    const QString archive = QStringLiteral("http://127.0.0.1:%1/web/2012id_/").arg(sim.Port());
    // A start page that cannot be put in place fails the run, not only the window's copy.
    QFile::remove(Space() + kStartPageName);
    QDir().mkpath(Space() + kStartPageName);
    for (const QStringList& save :
         {QStringList{"articles", kSample, "--wait", "0", "--save", "html & doc"},
          QStringList{"css", kSample, "--save"}, QStringList{"board", kSample, "--save"}}) {
        const CliResult result = Cli(save);
        EXPECT_EQ(result.exitCode, 1) << save.join(' ').toStdString();
        EXPECT_TRUE(Has(result.err, "pagewren-cli: 无法写入阅读版：" + Space())) << result.err;
    }
    QDir().rmdir(Space() + kStartPageName);
    sim.SetFault("/jiaoliao/blog/item/0ba3cff3634c462f.html", "status404");
    for (const auto& [save, code] : {std::pair{QStringList{"--replay", archive, "articles", kSample,
                                                           "--wait", "0", "--save", "txt"},
                                               1},
                                     {QStringList{"music", kSample, "--download"}, 1},
                                     {QStringList{"css", kSample, "--save"}, 0},
                                     {QStringList{"board", kSample, "--save"}, 0},
                                     {QStringList{"comments", kSample, "--save"}, 0}}) {
        const CliResult result = Cli(save);
        ASSERT_EQ(result.exitCode, code) << save.join(' ').toStdString() << result.err;
    }
    ASSERT_TRUE(QFile::exists(Space() + kStartPageName)) << "every save writes the copy";
    const nlohmann::json record = nlohmann::json::parse(app_.Read("jiaoliao/保存记录.json"));
    const nlohmann::json& articles = record["articles"]["rows"];
    ASSERT_EQ(articles.size(), 17u);
    EXPECT_EQ(record["articles"]["replay"], archive.toStdString());
    EXPECT_EQ(articles[0],
              (nlohmann::json{
                  {"row", 1},
                  {"title", "春天来了：去公园走走"},
                  {"category", "生活随笔"},
                  {"date", "2008-05-18 09:12"},
                  {"address", "http://hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html"},
                  {"from", archive.toStdString() +
                               "http://hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html"},
                  {"files", {"生活随笔/1 春天来了：去公园走走.txt"}},
                  {"outcome", "saved"}}));
    EXPECT_EQ(articles[2]["outcome"], "failed");
    const nlohmann::json& songs = record["songs"]["rows"];
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0]["file"], "背景音乐/1.mp3");
    EXPECT_EQ(songs[1]["outcome"], "failed");
    EXPECT_EQ(songs[1]["address"], "http://music.pagewren.test/songs/2.mp3");
    EXPECT_EQ(record["files"]["留言版.htm"]["records"], 23);
    EXPECT_EQ(record["files"]["空间模板.css"]["outcome"], "saved");
    // A board save that fails keeps the earlier page, and the record the time it was saved.
    nlohmann::json aged = record;
    aged["files"]["留言版.htm"]["savedAt"] = "2010-01-01T00:00:00Z";
    app_.Write("jiaoliao/保存记录.json", aged.dump());
    sim.SetFault("/jiaoliao/board/index/0", "status500");
    EXPECT_EQ(Cli({"board", kSample, "--save"}).exitCode, 1);
    sim.Server().ClearFaults();
    const nlohmann::json kept =
        nlohmann::json::parse(app_.Read("jiaoliao/保存记录.json"))["files"]["留言版.htm"];
    EXPECT_EQ(kept["outcome"], "failed");
    EXPECT_EQ(kept["records"], 23);
    EXPECT_EQ(kept["savedAt"].get<std::string>().substr(0, 10), "2010-01-01");
    const std::map<QString, std::string> saved = SavedFiles(app_);
    const auto requests = sim.Requests().size();
    const CliResult read = Cli({"read", kSample});
    ASSERT_EQ(read.exitCode, 0) << read.err << read.out;
    EXPECT_TRUE(Has(read.out, Space() + kStartPageName)) << read.out;
    EXPECT_EQ(sim.Requests().size(), requests) << "the reading copy asks for nothing";
    EXPECT_EQ(SavedFiles(app_), saved) << "no saved file changes";

    QStringList pages{Space() + kStartPageName};
    QDirIterator reading(Reading(), {"*.html"}, QDir::Files);
    while (reading.hasNext()) {
        pages << reading.next();
    }
    // The start page, the articles, the board and comment pages and the album.
    EXPECT_EQ(pages.size(), 1 + 17 + 2 + 1) << pages.join('\n').toStdString();
    for (const QString& page : pages) {
        EXPECT_EQ(BrokenLinks(page).join(' ').toStdString(), "") << page.toStdString();
    }
    // A comment's title as the search page showed it, "Tom&#39;s", is read as "Tom's".
    const std::string comments = app_.Read("jiaoliao/" + kReadingFolderName + "/文章评论.html");
    EXPECT_TRUE(Has(comments, "Tom&#39;s 生日聚会") && !Has(comments, "&amp;#39;"));

    const HeadlessChromium chromium;
    const std::string start = chromium.DumpDom(Space() + kStartPageName);
    for (const char* text :
         {"春天来了：去公园走走", "2008-05-18 09:12", "What's next? 书单/计划", "C:\\照片 整理完了",
          "旅途见闻", "读书笔记", "23 条留言", "14 条评论", "<span>1.mp3</span>",
          "<span>3.mp3</span>", "http://hi.baidu.com/jiaoliao", "未能获取或保存的内容",
          "歌曲未能下载：<a ", "文章（17 篇）",
          "文章《Tom's 生日聚会》（生活随笔）未能保存，下面是原有的文件：<a "
          "href=\"./生活随笔/3%20Tom%27s%20生日聚会.html\" download=\"\">"}) {
        EXPECT_TRUE(Has(start, QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(QString::fromStdString(start).count(QStringLiteral("<audio controls")), 2);
    EXPECT_FALSE(Has(start, QStringLiteral("文章目录有"))) << "the full save read every page";

    const std::string first = chromium.DumpDom(Reading() + "1.html");
    for (const char* text :
         {"<title>春天来了：去公园走走 - jiaoliao</title>", "今天天气很好，我们去公园走了走。",
          "类别：生活随笔", "href=\"2.html\" rel=\"next\"", "href=\"../index.html\""}) {
        EXPECT_TRUE(Has(first, QString::fromUtf8(text))) << text << "\n" << first;
    }
    EXPECT_FALSE(Has(first, QStringLiteral("rel=\"prev\"")));
    const std::string board = chromium.DumpDom(Reading() + kBoardPageName);
    EXPECT_TRUE(Has(board, QStringLiteral("<dd>访客1</dd>"))) << board;
    EXPECT_TRUE(Has(board, QStringLiteral("空间很漂亮。")));

    // The space's sheet colours the page: body{background:#f3eefa}.
    const QImage shot = chromium.Screenshot(Reading() + "1.html", 400, 300);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.pixelColor(5, 5).name(), QStringLiteral("#f3eefa"));
}

// Each comment stands under the article it names, in the reading copy and in the model; the
// one whose article was not saved stays on the comment page. Songs show the titles the
// playlist gave them. A record of the version before, which names neither, still reads.
TEST_F(ReadingTest, CommentsStandUnderTheirArticlesAndSongsShowTheirTitles) {
    SimFixture sim;
    sim.SetFault("/jiaoliao/blog/item/0ba3cff3634c462f.html", "status404");
    ASSERT_EQ(Cli({"articles", kSample, "--wait", "0", "--save", "html"}).exitCode, 1);
    ASSERT_EQ(Cli({"comments", kSample, "--save"}).exitCode, 0);
    ASSERT_EQ(Cli({"music", kSample, "--download"}).exitCode, 0);
    const QString first =
        QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/1.html"));
    EXPECT_TRUE(first.contains(
        QRegularExpression("id=\"comments\".*读者1.*2008-06-01 21:00.*写得好！.*pagewren-about",
                           QRegularExpression::DotMatchesEverythingOption)))
        << first.toStdString();
    EXPECT_FALSE(first.contains("同感。")) << "the second article's comment";
    const QString comments =
        QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/" + kCommentPageName));
    EXPECT_TRUE(
        comments.contains("见于文章：</dt><dd><a href=\"./1.html\">春天来了：去公园走走</a>"));
    EXPECT_TRUE(
        comments.contains(QRegularExpression("N0.3</h3><dl>[^\n]*真漂亮。[^\n]*2008-06-03 "
                                             "21:02</dd></dl>")))
        << comments.toStdString();
    const QString start = QString::fromUtf8(app_.Read("jiaoliao/" + kStartPageName));
    EXPECT_TRUE(start.contains("<span>1.mp3</span> <span class=\"pagewren-title\">茉莉花</span>"));
    EXPECT_TRUE(start.contains("<span class=\"pagewren-title\">Jasmine (piano)</span>"));

    std::optional<SavedSpace> space = LoadSavedSpace(Space(), nullptr);
    ASSERT_TRUE(space.has_value());
    ASSERT_EQ(space->articles.size(), 16u);
    ASSERT_EQ(space->articles[0].comments.size(), 1u);
    const SavedComment& comment = space->articles[0].comments[0];
    EXPECT_EQ(comment.number, 1);
    EXPECT_EQ(comment.date, "2008-06-01 21:00");
    EXPECT_EQ(comment.text, "写得好！");
    EXPECT_EQ(comment.commenter, "读者1");
    EXPECT_EQ(comment.articleTitle, "春天来了：去公园走走");
    ASSERT_EQ(space->otherComments.size(), 1u);
    EXPECT_EQ(space->otherComments[0].articleAddress,
              "http://hi.baidu.com/jiaoliao/blog/item/0ba3cff3634c462f.html");
    ASSERT_EQ(space->songs.size(), 3u);
    EXPECT_EQ(space->songs[1].title, "月亮代表我的心");

    // The version before wrote neither the comments' articles nor the songs' titles.
    nlohmann::json record = nlohmann::json::parse(app_.Read("jiaoliao/保存记录.json"));
    record.erase("comments");
    for (nlohmann::json& song : record["songs"]["rows"]) {
        song.erase("title");
    }
    app_.Write("jiaoliao/保存记录.json", record.dump());
    ASSERT_EQ(Cli({"read", kSample}).exitCode, 0);
    EXPECT_FALSE(QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/1.html"))
                     .contains("写得好！"));
    EXPECT_TRUE(
        QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/" + kCommentPageName))
            .contains("写得好！"));
    space = LoadSavedSpace(Space(), nullptr);
    ASSERT_TRUE(space.has_value());
    EXPECT_EQ(space->otherComments.size(), 14u);
    EXPECT_TRUE(space->articles[0].comments.empty());
    EXPECT_EQ(space->songs[1].title, "");
}

// A space saved by an earlier version: files only, among them names a page could make hostile,
// beside a reading copy of an earlier run.
TEST_F(ReadingTest, FilesAloneMakeACopyWithEveryTextEscapedAndTheEarlierCopyReplaced) {
    EXPECT_NE(SafeName(kReadingFolderName), kReadingFolderName) << "a category could take it";
    const QString hostileCategory = QStringLiteral("\"><img src=x onerror=alert(1)>");
    const QString hostileTitle = QStringLiteral("<script>alert(2)<\\script>");
    QDir().mkpath(Space() + "生活随笔");
    QDir().mkpath(Space() + hostileCategory);
    QDir().mkpath(Reading());
    QDir().mkpath(Space() + kReadingFolderName + "~999999999-0");
    app_.Write("jiaoliao/生活随笔/1 春天.txt",
               platform::ToAnsi("标题：春天\r\n类别：生活随笔\r\n时间：2008-05-18 09:12\r\n"
                                "内容：花都开了 <b>\r\n"));
    app_.Write("jiaoliao/" + hostileCategory + "/2 " + hostileTitle + ".html",
               platform::ToAnsi("</div><div class=\"tit2\">&lt;script&gt;alert(2)&lt;\\script&gt;"
                                "</div><div class=\"date\">2009-01-02</div><div "
                                "id=\"blog_text\" class=\"cnt\"  >正文</div>\r\n"));
    // The list cleaned the title for file names; its saved page shows it as it was.
    app_.Write("jiaoliao/生活随笔/4 为什么总是下雨 .html",
               platform::ToAnsi("</div><div class=\"tit2\">为什么总是下雨?</div><div "
                                "class=\"date\">2008-07-01 08:00</div><div id=\"blog_text\" "
                                "class=\"cnt\"  >雨</div>\r\n"));
    // The catalogue keeps the references of the listing page in titles and file names.
    app_.Write("jiaoliao/生活随笔/3 &lt;i&gt;夏 &amp; 秋&#33;.txt",
               platform::ToAnsi("标题：夏\r\n类别：生活随笔\r\n时间：2008-06-01 10:00\r\n"
                                "内容：热\r\n"));
    app_.Write("jiaoliao/" + kReadingFolderName + "/99.html", "an earlier copy's page");
    // The same article under the number of another save: listed once.
    app_.Write("jiaoliao/生活随笔/9 春天.txt", platform::ToAnsi("标题：春天\r\n"));

    // The earlier copy's folder is swapped with the new one, not removed before it: there is
    // no moment without a copy, and a failed swap leaves the earlier one.
    const RemovalWatch watch(Space());
    ASSERT_TRUE(watch.Watching());
    const CliResult read = Cli({"read", kSample + "/"});
    ASSERT_EQ(read.exitCode, 0) << read.err << read.out;
    const QStringList removed = watch.Removed();
    EXPECT_FALSE(removed.contains(kReadingFolderName)) << removed.join(' ').toStdString();
    EXPECT_FALSE(removed.isEmpty()) << "the earlier copy is removed under its passing name";
    EXPECT_EQ(QDir(Space()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 3)
        << "the passing folder of a run that ended is gone";
    EXPECT_FALSE(QFile::exists(Reading() + "99.html"));
    EXPECT_EQ(QDir(Reading()).entryList(QDir::Files),
              (QStringList{"1.html", "2.html", "3.html", "4.html"}));

    const QString start = QString::fromUtf8(app_.Read("jiaoliao/" + kStartPageName));
    EXPECT_TRUE(start.contains("没有保存记录"));
    EXPECT_TRUE(start.contains("2008-05-18 09:12"));
    EXPECT_TRUE(start.contains("2009-01-02")) << "the date is cut from the fragment";
    EXPECT_TRUE(start.contains("&lt;script&gt;alert(2)&lt;\\script&gt;"));
    EXPECT_TRUE(start.contains("&quot;&gt;&lt;img src=x onerror=alert(1)&gt;"));
    EXPECT_FALSE(start.contains("<script>") || start.contains("<img src=x"));
    const QString first =
        QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/1.html"));
    EXPECT_TRUE(first.contains("花都开了 &lt;b&gt;"));
    EXPECT_TRUE(first.contains("下一篇：&lt;i&gt;夏 &amp; 秋!</a>"));
    EXPECT_TRUE(start.contains(">&lt;i&gt;夏 &amp; 秋!</a>")) << "shown as the page showed it";
    EXPECT_TRUE(start.contains(">为什么总是下雨?</a>"));
    const QString second =
        QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/2.html"));
    EXPECT_TRUE(second.contains("下一篇：为什么总是下雨?</a>"));
    const QString third =
        QString::fromUtf8(app_.Read("jiaoliao/" + kReadingFolderName + "/3.html"));
    EXPECT_TRUE(third.contains("<title>为什么总是下雨? - jiaoliao</title>"));
    if (!HeadlessChromium::Program().isEmpty()) {
        const std::string dom = HeadlessChromium().DumpDom(Space() + kStartPageName);
        EXPECT_TRUE(Has(dom, QStringLiteral("&lt;script&gt;alert(2)"))) << dom;
        EXPECT_FALSE(Has(dom, QStringLiteral("<img src=\"x\""))) << dom;
    }

    // A title cut from a page may hold control characters, which no page may.
    app_.Write("jiaoliao/保存记录.json",
               nlohmann::json{{"address", kSample.toStdString()},
                              {"articles",
                               {{"format", "txt"},
                                {"rows",
                                 {{{"row", 9},
                                   {"title", std::string("冬\0天\x1b", 8)},
                                   {"category", "生活随笔"},
                                   {"outcome", "failed"}}}}}}}
                   .dump());
    ASSERT_EQ(Cli({"read", kSample}).exitCode, 0);
    const QString recorded = QString::fromUtf8(app_.Read("jiaoliao/" + kStartPageName));
    EXPECT_TRUE(recorded.contains(QStringLiteral("冬\uFFFD天\uFFFD")));
    EXPECT_FALSE(recorded.contains(
        QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0B\\x0C\\x0E-\\x1F]"))));

    EXPECT_EQ(Cli({"read", "http://hi.baidu.com/nowhere"}).exitCode, 1);
    EXPECT_EQ(Cli({"read", kSample, "--save"}).exitCode, 2);
}

// A space folder unpacked from an archive made on Chinese Windows: names in code page 936.
TEST_F(ReadingTest, FilesNamedInGbkAreNamedAndFailTheRead) {
    QDir().mkpath(Space() + "生活随笔");
    app_.Write("jiaoliao/生活随笔/1 春天.txt", platform::ToAnsi("标题：春天\r\n"));
    // A file of that name in a folder named in UTF-8, and a folder of that name.
    const std::string folder =
        QFile::encodeName(Space()).toStdString() + platform::ToAnsi("旅途见闻");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    for (const std::string& file :
         {QFile::encodeName(Space() + "生活随笔/").toStdString() + platform::ToAnsi("3 秋天.txt"),
          folder + "/" + platform::ToAnsi("2 夏天.txt")}) {
        ASSERT_TRUE(std::ofstream(file) << platform::ToAnsi("标题：夏天\r\n")) << file;
    }
    const CliResult read = Cli({"--json", "read", kSample});
    EXPECT_EQ(read.exitCode, 1);
    for (const char* file : {"旅途见闻/2 夏天.txt", "生活随笔/3 秋天.txt"}) {
        EXPECT_TRUE(Has(read.out, "未能读入阅读版：" + Space() + QString::fromUtf8(file)))
            << read.out;
    }
    EXPECT_TRUE(QString::fromUtf8(app_.Read("jiaoliao/" + kStartPageName)).contains("春天"));
}

}  // namespace
