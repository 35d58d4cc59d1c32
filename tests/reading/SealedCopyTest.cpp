#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "HeadlessChromium.h"
#include "HitLog.h"
#include "RequiredTool.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "platform/Codepage.h"
#include "reading/ReadingNames.h"
#include "sim/SpaceServer.h"
#include "sim/SpaceStore.h"
#include "space/PictureNames.h"
#include "space/SavedSpace.h"

namespace {

const QString kEvil = QStringLiteral("http://hi.baidu.com/evil");
const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");

bool Has(const std::string& text, const QString& part) {
    return text.find(part.toStdString()) != std::string::npos;
}

// A saved fragment as the html save cuts it out of an article page.
std::string Fragment(const QString& title, const QString& body) {
    return platform::ToAnsi(QStringLiteral("</div><div class=\"tit2\">") + title +
                            QStringLiteral("</div><div class=\"date\">2009-01-02 10:00</div><table>"
                                           "<tr><td><div id=\"blog_text\" class=\"cnt\"  >") +
                            body +
                            QStringLiteral("</div></td></tr></table><div class=\"opt\">\r\n"));
}

std::string TextArticle(const QString& title) {
    return platform::ToAnsi(QStringLiteral("标题：") + title +
                            QStringLiteral("\r\n类别：x\r\n时间：2009\r\n内容：正文\r\n"));
}

// Writes a harness page into the folder, its script given the pages' addresses as a list in
// place of %1; returns its path.
QString HarnessPage(const QString& folder, const QString& name, const QString& page,
                    const QStringList& pages) {
    QString list;
    for (const QString& shown : pages) {
        list += QStringLiteral("'") + HeadlessChromium::Url(shown) + QStringLiteral("',");
    }
    const QString harness = folder + QChar('/') + name;
    QFile file(harness);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(page.arg(list).toUtf8());
    return harness;
}

// A page that opens each of the copy's pages in frames and clicks, in a frame of its own,
// every link of it that is not marked as leaving the copy: what a reader could reach.
QString ClickEveryLink(const QStringList& pages, const QString& folder) {
    return HarnessPage(
        folder, QStringLiteral("harness.html"),
        QStringLiteral(
            "<!DOCTYPE html><body><script>\n"
            "const links = (frame) => frame.contentDocument.querySelectorAll('a[href]');\n"
            "for (const page of [%1]) {\n"
            "  const probe = document.createElement('iframe');\n"
            "  probe.src = page;\n"
            "  probe.onload = () => {\n"
            "    for (let i = 0; i < links(probe).length; ++i) {\n"
            "      const frame = document.createElement('iframe');\n"
            "      frame.src = page;\n"
            "      frame.onload = () => {\n"
            "        if (frame.dataset.clicked) return;\n"
            "        frame.dataset.clicked = '1';\n"
            "        const link = links(frame)[i];\n"
            "        if (!link.classList.contains('pagewren-away')) link.click();\n"
            "      };\n"
            "      document.body.append(frame);\n"
            "    }\n"
            "  };\n"
            "  document.body.append(probe);\n"
            "}\n"
            "</script></body>\n"),
        pages);
}

// A page that opens each of the copy's pages in a frame as large as a window and, once the
// pictures of all have loaded or failed, lists each picture shown: its page, the width it was
// drawn from, its address and that of the link around it, one line each, parted by tabs.
QString ListShownPictures(const QStringList& pages, const QString& folder) {
    return HarnessPage(
        folder, QStringLiteral("pictures.html"),
        QStringLiteral(
            "<!DOCTYPE html><body><pre id=\"shown\"></pre><script>\n"
            "const shown = document.getElementById('shown');\n"
            "const pages = [%1];\n"
            "let left = pages.length;\n"
            "const settled = (img) => img.complete ? Promise.resolve() : new Promise("
            "(done) => { img.addEventListener('load', done); "
            "img.addEventListener('error', done); });\n"
            "for (const page of pages) {\n"
            "  const frame = document.createElement('iframe');\n"
            "  frame.style.width = '1000px';\n"
            "  frame.style.height = '4000px';\n"
            "  frame.onload = () => {\n"
            "    const images = [...frame.contentDocument.images];\n"
            "    Promise.all(images.map(settled)).then(() => {\n"
            "      for (const img of images) {\n"
            "        const link = img.closest('a');\n"
            "        shown.textContent += ['PICTURE', decodeURI(page.split('/').pop()),\n"
            "            img.naturalWidth, img.src, link ? link.href : ''].join('\\t') + "
            "'\\n';\n"
            "      }\n"
            "      if (--left === 0) shown.textContent += 'ALL SHOWN\\n';\n"
            "    });\n"
            "  };\n"
            "  frame.src = page;\n"
            "  document.body.append(frame);\n"
            "}\n"
            "</script></body>\n"),
        pages);
}

// One picture a page showed, as ListShownPictures lists it.
struct ShownPicture {
    QString page;
    int width = 0;
    QString file;  // the local file it was drawn from; empty for any other address
    QString link;  // the local file its link leads to, or else the link's address
};

// The local file of a file: address, or empty for any other.
QString LocalFile(const QString& url) {
    const QUrl parsed(url);
    return parsed.isLocalFile() ? QFileInfo(parsed.toLocalFile()).canonicalFilePath() : QString();
}

std::vector<ShownPicture> ShownPictures(const std::string& dom) {
    std::vector<ShownPicture> shown;
    for (const QString& line : QString::fromStdString(dom).split(QChar('\n'))) {
        // The first line follows the markup before the list.
        const QStringList cells =
            line.mid(line.indexOf(QLatin1String("PICTURE"))).split(QChar('\t'));
        if (cells.size() == 5 && cells[0] == QLatin1String("PICTURE")) {
            const QString link = LocalFile(cells[4]);
            shown.push_back({cells[1], cells[2].toInt(), LocalFile(cells[3]),
                             link.isEmpty() ? cells[4] : link});
        }
    }
    return shown;
}

class SealedCopyTest : public ::testing::Test {
protected:
    CliResult Cli(const QStringList& command) {
        return RunCli(QStringList{"--app-dir", app_.Path(), "--pace", "0"} + command);
    }
    QString Space(const QString& name) const { return app_.Path() + "/" + name + "/"; }
    QString Read(const QString& path) const { return QString::fromUtf8(app_.Read(path)); }

    TempFolder app_;
};

// Every way the issue found for an article, a style sheet or a folder name to reach out of the
// copy: the pages hold none of it, and Chromium, opening each page and following every link
// that does not say it leaves, asks the loopback server for nothing and runs no script.
TEST_F(SealedCopyTest, HostileArticlesReachNothingFromTheCopy) {
    const HitLog log;
    ASSERT_GT(log.Port(), 0);
    const auto ran = [&](const QString& mark) {
        return QStringLiteral(
                   "document.documentElement.setAttribute('data-ran','%1');"
                   "new Image().src='%2'")
            .arg(mark, log.Address(mark));
    };
    const QString space = QStringLiteral("evil/");
    QDir().mkpath(Space("evil") + "生活");
    const std::map<QString, QString> fragments = {
        {"1 刷新",
         "<meta http-equiv=\"refresh\" content=\"0;url=" + log.Address("refresh") +
             "\">春天来了，花都开了。<p>一个<a href=\"http://example.com/\">外部链接</a>。"
             "<a href=\"javascript:" +
             ran("jslink") + "\">脚本链接</a></p>"},
        {"2 框架", "<iframe src=\"" + log.Address("iframe") +
                       "\"></iframe><iframe srcdoc=\"&lt;script&gt;" + ran("srcdoc") +
                       "&lt;/script&gt;\"></iframe><iframe src=\"data:text/html,&lt;script&gt;" +
                       ran("dataframe") + "&lt;/script&gt;\"></iframe><frameset><frame src=\"" +
                       log.Address("frame") + "\"></frameset>框架"},
        {"3 图片", "<p>照片：<img src=\"" + log.Address("img") + "\" alt=\"猫\" srcset=\"" +
                       log.Address("srcset") + " 2x\"></p><audio src=\"" + log.Address("audio") +
                       "\" autoplay></audio><video poster=\"" + log.Address("poster") +
                       "\"></video><link rel=\"stylesheet\" href=\"" + log.Address("link") +
                       "\"><style>@import url(" + log.Address("import") +
                       ");</style><span style=\"color:red;background:url(" + log.Address("inline") +
                       ")\">红字</span><link rel=\"prefetch\" href=\"" + log.Address("prefetch") +
                       "\"><table background=\"" + log.Address("background") +
                       "\"><tr><td>格</td></tr></table><base href=\"" + log.Address("base") +
                       "\">"},
        {"4 脚本", "<script>" + ran("script") + "</script><img src=x onerror=\"" + ran("onerror") +
                       "\"><svg onload=\"" + ran("svg") + "\"></svg><body onload=\"" +
                       ran("onload") + "\"><input autofocus onfocus=\"" + ran("onfocus") +
                       "\"><details open ontoggle=\"" + ran("ontoggle") +
                       "\"><summary>摘要</summary></details><object data=\"" +
                       log.Address("object") + "\"></object><embed src=\"" + log.Address("embed") +
                       "\"><form action=\"" + log.Address("form") +
                       "\"><button>提交</button></form>有脚本的文章"},
        {"5 report&#8238;fdp.exe", "标题里有 RLO"},
    };
    for (const auto& [name, body] : fragments) {
        app_.Write(space + "生活/" + name + ".html", Fragment(name.section(' ', 1), body));
    }
    // Category folders an archive of another system could name like a scheme.
    const QString schemeFolder = QStringLiteral("http:127.0.0.1:%1").arg(log.Port());
    for (const QString& folder : {schemeFolder, QStringLiteral("javascript:alert(1)")}) {
        QDir().mkpath(Space("evil") + folder);
        app_.Write(space + folder + "/6 协议.txt", TextArticle("协议"));
    }
    const std::string sheet = platform::ToAnsi(
        "@import url(" + log.Address("css-import") + ");\n@IMPORT \"" + log.Address("css-import2") +
        "\";\nbody{background:#f3eefa url(" + log.Address("css-bg") +
        ")}\n.x{background-image:\\75 rl(" + log.Address("css-escaped") +
        ")}\n@font-face{font-family:f;src:url(" + log.Address("css-font") + ")}\n");
    app_.Write(space + kCssFileName, sheet);

    const CliResult read = Cli({"read", kEvil});
    ASSERT_EQ(read.exitCode, 0) << read.err << read.out;
    EXPECT_EQ(app_.Read(space + kCssFileName), sheet) << "the saved sheet stays as fetched";

    QStringList pages{Space("evil") + kStartPageName};
    QDirIterator reading(Space("evil") + kReadingFolderName, {"*.html"}, QDir::Files);
    while (reading.hasNext()) {
        pages << reading.next();
    }
    ASSERT_EQ(pages.size(), 1 + 7);
    const QString copySheet = Read(space + kReadingFolderName + "/" + kCssFileName);
    EXPECT_TRUE(copySheet.contains("body{background:#f3eefa none}")) << copySheet.toStdString();
    for (const QString& page : pages) {
        const QString html = QString::fromUtf8(app_.Read(QDir(app_.Path()).relativeFilePath(page)));
        EXPECT_TRUE(
            html.contains("content=\"default-src 'none'; style-src 'self' 'unsafe-inline'; "
                          "img-src 'self'; media-src 'self'; base-uri 'none'; "
                          "form-action 'none'\""))
            << page.toStdString();
        for (const QString& part :
             {QStringLiteral("<script"), QStringLiteral("http-equiv=\"refresh"),
              QStringLiteral("onerror"), QStringLiteral("<iframe"), QStringLiteral("<img"),
              QStringLiteral("url("), QStringLiteral("<base"), QStringLiteral("href=\"javascript"),
              "href=\"" + schemeFolder, QString(QChar(0x202E))}) {
            EXPECT_FALSE(html.contains(part, Qt::CaseInsensitive))
                << page.toStdString() << ": " << part.toStdString();
        }
        // The hit server's address shows only as a link to a picture, marked as leaving.
        const QString hit = QStringLiteral("//127.0.0.1:%1/").arg(log.Port());
        EXPECT_EQ(html.count(hit), page.endsWith("/3.html") ? 2 : 0) << page.toStdString();
    }
    const QString start = Read(space + kStartPageName);
    EXPECT_TRUE(start.contains(">report[U+202E]fdp.exe</a>")) << "the title shows its RLO";
    EXPECT_TRUE(start.contains("<a href=\"./" + schemeFolder + "/6%20协议.txt\">"));
    EXPECT_TRUE(start.contains("<a href=\"./生活/1%20刷新.html\" download>.html</a>"));
    const QString first = Read(space + kReadingFolderName + "/1.html");
    EXPECT_TRUE(first.contains("<a href=\"http://example.com/\" class=\"pagewren-away\""))
        << first.toStdString();
    EXPECT_TRUE(first.contains("<a href=\"../生活/1%20刷新.html\" download>"))
        << first.toStdString();
    const QString third = Read(space + kReadingFolderName + "/3.html");
    EXPECT_TRUE(third.contains("<a href=\"" + log.Address("img") +
                               "\" class=\"pagewren-away\" title=\"离开阅读版：" +
                               log.Address("img") + "\" target=\"_blank\"") &&
                third.contains("[图片：猫]</a>"))
        << third.toStdString();
    EXPECT_TRUE(third.contains("<span style=\"color:red;background:none\">红字</span>"))
        << third.toStdString();

    if (HeadlessChromium::Program().isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("chromium");
    }
    const HeadlessChromium chromium;
    for (const QString& page : pages) {
        const std::string dom = chromium.DumpDomAfter(page, 3000);
        EXPECT_TRUE(Has(dom, QStringLiteral("<nav class=\"pagewren-nav\">")) ||
                    page.endsWith(kStartPageName))
            << page.toStdString() << " navigated away:\n"
            << dom;
        EXPECT_FALSE(Has(dom, QStringLiteral("data-ran"))) << page.toStdString();
    }
    const QTemporaryDir outside;
    chromium.DumpDomAfter(ClickEveryLink(pages, outside.path()), 10000,
                          {QStringLiteral("--allow-file-access-from-files")});
    EXPECT_EQ(log.Hits(), "");
}

// The sample space with pictures saved through the archive and its index, then read with the
// network cut off (every request Chromium makes goes to a loopback server that logs it): each
// article shows its saved pictures from their files, a thumbnail leads to its saved full
// picture, the album page shows the photos by capture date, a picture that was not saved is a
// link to its address with its note, and nothing is asked of any server.
TEST_F(SealedCopyTest, SavedPicturesShowFromTheirFilesOffline) {
    const QString space = QStringLiteral("photowren/");
    const QString lost =
        QStringLiteral("http://hiphotos.baidu.com/photowren/pic/item/8125e9a04b69ba2732ab5551.jpg");
    {
        SimFixture sim;
        const QString prefix =
            QStringLiteral("http://127.0.0.1:%1/web/20120101000000id_/").arg(sim.Port());
        const CliResult save = Cli({"--replay", prefix, "articles", "http://hi.baidu.com/photowren",
                                    "--wait", "0", "--save", "html"});
        ASSERT_EQ(save.exitCode, 1) << save.out << "\nthree pictures are lost";
        // Saved as text, an article keeps the addresses of its linked pictures on lines of
        // their own, and its page shows each picture after its line.
        const TempFolder text;
        ASSERT_EQ(RunCli({"--app-dir", text.Path(), "--pace", "0", "articles",
                          "http://hi.baidu.com/photowren", "--wait", "0", "--save", "txt"})
                      .exitCode,
                  1);
        const QString first = QString::fromUtf8(text.Read(space + kReadingFolderName + "/1.html"));
        EXPECT_TRUE(first.contains(
            QRegularExpression("图片地址：http：//hiphotos.baidu.com/photowren/pic/item/"
                               "eeb9e23c4a5e7cd1ea5630bc.jpg\r\n<img src=\"../图片%7F/"
                               "eeb9e23c4a5e7cd1ea5630bc_[0-9a-f]{12}.jpg\" alt=\"\">")))
            << first.toStdString();
        // The exports read the same lines: the body shows the picture, whose file the model
        // of the saved space gives.
        const QString textSpace = text.Path() + "/" + space;
        const std::optional<SavedSpace> model = LoadSavedSpace(textSpace, nullptr);
        ASSERT_TRUE(model && !model->articles.empty());
        const std::vector<SavedPicture> shown =
            PicturesShown(*model, ReadArticleBody(textSpace, model->articles.front()));
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const SavedPicture& picture) {
            return picture.address.endsWith("/eeb9e23c4a5e7cd1ea5630bc.jpg") &&
                   !picture.file.isEmpty();
        }));
    }
    const QString readingFolder = Space("photowren") + kReadingFolderName;
    QStringList pages = QDir(readingFolder).entryList({"*.html"}, QDir::Files);
    ASSERT_EQ(pages.size(), 4 + 1) << pages.join(' ').toStdString();
    ASSERT_TRUE(pages.contains(QStringLiteral("相册.html")));
    const QString start = Read(space + kStartPageName);
    EXPECT_TRUE(start.contains("<a href=\"./" +
                               QString(kReadingFolderName).replace(QChar(0x7F), "%7F") +
                               "/相册.html\">相册（5 张）</a>") &&
                start.contains("3 张图片没有保存下来") &&
                start.contains(QRegularExpression(
                    "<th>图片</th><td>[0-9: -]+</td><td>[1-9][0-9]* 张，3 张没有保存下来</td>")))
        << start.toStdString();
    QString articles;
    for (QString& page : pages) {
        articles += Read(space + kReadingFolderName + "/" + page);
        page = readingFolder + "/" + page;
    }
    // The album's photos under the day of their capture; the lost picture stays a link to its
    // address, marked as leaving, with its note.
    EXPECT_TRUE(articles.contains("<h2>2012-01-01</h2>")) << articles.toStdString();
    EXPECT_TRUE(articles.contains("<a href=\"" + lost +
                                  "\" class=\"pagewren-away\" title=\"离开阅读版：" + lost +
                                  "\" target=\"_blank\" rel=\"noopener noreferrer\">[图片]</a>"
                                  "<span class=\"pagewren-unsaved\">（未保存）</span>"))
        << articles.toStdString();

    if (HeadlessChromium::Program().isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("chromium");
    }
    const HitLog log;
    ASSERT_GT(log.Port(), 0);
    const HeadlessChromium chromium;
    const QTemporaryDir outside;
    const std::string dom =
        chromium.DumpDomAfter(ListShownPictures(pages, outside.path()), 10000,
                              {QStringLiteral("--allow-file-access-from-files"),
                               QStringLiteral("--proxy-server=127.0.0.1:%1").arg(log.Port()),
                               QStringLiteral("--proxy-bypass-list=<-loopback>")});
    ASSERT_TRUE(Has(dom, QStringLiteral("ALL SHOWN"))) << dom;
    const std::vector<ShownPicture> shown = ShownPictures(dom);
    const QString folder =
        QFileInfo(Space("photowren") + kPictureFolderName).canonicalFilePath() + "/";
    std::set<QString> reached;
    std::map<QString, int> perPage;
    for (const ShownPicture& picture : shown) {
        EXPECT_GT(picture.width, 0)
            << picture.page.toStdString() << " " << picture.file.toStdString();
        EXPECT_TRUE(picture.file.startsWith(folder)) << picture.file.toStdString();
        EXPECT_TRUE(picture.link.isEmpty() || picture.link.startsWith(folder))
            << picture.link.toStdString();
        reached.insert(picture.file);
        reached.insert(picture.link);
        ++perPage[picture.page];
    }
    reached.erase(QString());
    // Two thumbnails and a shared picture; the full picture and the shared one again; none;
    // the one of a mislabelled type; and the four photos of the album that were saved.
    EXPECT_EQ(perPage, (std::map<QString, int>{
                           {"1.html", 3}, {"2.html", 2}, {"4.html", 1}, {"相册.html", 4}}));
    std::set<QString> saved;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        saved.insert(folder + name);
    }
    EXPECT_EQ(reached, saved) << "every saved picture shows or is a thumbnail's full picture";
    EXPECT_EQ(PageHits(log.Hits()), "");

    // Photos of other capture times stand under their days, oldest first, one of no known time
    // last; a record that names a file outside the picture folder shows no picture of it.
    const std::string recordPath = app_.File(space + kSaveRecordName);
    nlohmann::json record = nlohmann::json::parse(std::ifstream(recordPath));
    for (nlohmann::json& row : record["pictures"]["rows"]) {
        const std::string address = row["address"];
        if (address.find("b25a4573bb318d28") != std::string::npos) {
            row["captured"] = "20110305080000";
        } else if (address.find("dec5bba55259178e") != std::string::npos) {
            row["captured"] = "";
        } else if (address.find("/pic/item/eeb9e23c4a5e7cd1") != std::string::npos) {
            row["file"] = "照片/1 点小图看大图.html";
        }
    }
    std::ofstream(recordPath) << record.dump();
    ASSERT_EQ(Cli({"read", "http://hi.baidu.com/photowren"}).exitCode, 0);
    const QString album = Read(space + kReadingFolderName + "/相册.html");
    const QStringList order{"<h2>2011-03-05</h2>", "b25a4573bb318d28",      "<h2>2012-01-01</h2>",
                            "2ab41c1ad9b98b03",    "<h2>存档时间不明</h2>", "dec5bba55259178e"};
    for (qsizetype i = 1; i < order.size(); ++i) {
        EXPECT_LT(album.indexOf(order[i - 1]), album.indexOf(order[i])) << order[i].toStdString();
    }
    EXPECT_FALSE(album.contains("点小图看大图")) << album.toStdString();
    EXPECT_EQ(album.count("（未保存）"), 2) << album.toStdString();
}

// A space folder in which someone put symbolic links in the place of a category folder, the
// song folder, the style sheet and an article file: the copy reads nothing through them and
// names them; the saves write nothing through them; the app folder itself may be a link.
TEST_F(SealedCopyTest, SymbolicLinksInASpaceFolderAreNeitherReadNorWrittenThrough) {
    const QTemporaryDir elsewhere;
    const QString other = elsewhere.path() + "/other/";
    QDir().mkpath(other + "songs");
    const std::string secret = "SECRET-BYTES\n";
    QFile secretFile(other + "secret.txt");
    ASSERT_TRUE(secretFile.open(QIODevice::WriteOnly));
    secretFile.write(secret.data());
    secretFile.close();
    QFile article(other + "1 别人的文章.txt");
    ASSERT_TRUE(article.open(QIODevice::WriteOnly));
    article.write(TextArticle("别人的文章").c_str());
    article.close();
    const auto listing = [&] {
        QStringList files;
        QDirIterator it(other, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files << it.next();
        }
        files.sort();
        return files;
    };
    const QStringList before = listing();

    // The app folder is reached through a link of its own, which is the user's to make.
    const QString appLink = elsewhere.path() + "/app";
    ASSERT_TRUE(QFile::link(app_.Path(), appLink));
    const auto cli = [&](const QStringList& command) {
        return RunCli(QStringList{"--app-dir", appLink, "--pace", "0"} + command);
    };
    const QString space = Space("jiaoliao");
    QDir().mkpath(space + "旅途见闻");
    ASSERT_TRUE(QFile::link(other, space + "生活随笔"));
    ASSERT_TRUE(QFile::link(other + "songs", space + "背景音乐"));
    ASSERT_TRUE(QFile::link(other + "secret.txt", space + kCssFileName));
    ASSERT_TRUE(QFile::link(other + "secret.txt", space + "旅途见闻/5 偷看.txt"));

    const CliResult read = cli({"read", kSample});
    ASSERT_EQ(read.exitCode, 0) << read.err << read.out;
    QDirIterator copy(space, {"*.html", "*.css"}, QDir::Files, QDirIterator::Subdirectories);
    while (copy.hasNext()) {
        const QString path = copy.next();
        if (path.contains(kReadingFolderName) || path.endsWith(kStartPageName)) {
            const std::string bytes = app_.Read(QDir(app_.Path()).relativeFilePath(path));
            EXPECT_FALSE(Has(bytes, "SECRET") || Has(bytes, QStringLiteral("别人的文章")))
                << path.toStdString();
        }
    }
    const QString start = Read("jiaoliao/" + kStartPageName);
    for (const char* link : {"生活随笔", "背景音乐", "空间模板.css", "旅途见闻/5 偷看.txt"}) {
        EXPECT_TRUE(start.contains(QString::fromUtf8(link))) << link;
    }
    EXPECT_TRUE(start.contains("空间文件夹里有符号链接")) << start.toStdString();

    SimFixture sim;
    const CliResult articles = cli({"articles", kSample, "--wait", "0", "--save", "txt"});
    EXPECT_EQ(articles.exitCode, 1) << articles.err;
    EXPECT_EQ(QDir(space + "旅途见闻").entryList({"*.txt"}, QDir::Files).size(), 1 + 7)
        << "a real category folder takes its articles";
    const CliResult skipping =
        cli({"articles", kSample, "--wait", "0", "--save", "txt", "--skip-saved"});
    EXPECT_EQ(skipping.exitCode, 1) << "a file behind a link is not taken as saved";
    const CliResult music = cli({"music", kSample, "--download"});
    EXPECT_EQ(music.exitCode, 1) << music.err;
    const CliResult css = cli({"css", kSample, "--save"});
    EXPECT_EQ(css.exitCode, 0) << css.err;
    EXPECT_FALSE(QFileInfo(space + kCssFileName).isSymLink()) << "the link is replaced";

    EXPECT_EQ(listing(), before);
    EXPECT_EQ(secretFile.open(QIODevice::ReadOnly) ? secretFile.readAll().toStdString() : "",
              secret);
    EXPECT_TRUE(QFileInfo(space + "生活随笔").isSymLink()) << "the folder link is left alone";
}

}  // namespace
