#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "ExportFixture.h"
#include "HeadlessChromium.h"
#include "HitLog.h"
#include "RequiredTool.h"
#include "SoupSpace.h"

namespace {

using namespace exportspace;

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What `hugo` printed building the site in its folder, with no option; empty when it failed.
struct HugoBuild {
    bool built = false;
    QString output;
};

HugoBuild BuildWithHugo(const QString& site) {
    QProcess hugo;
    hugo.setWorkingDirectory(site);
    hugo.setProcessChannelMode(QProcess::MergedChannels);
    hugo.start(QStringLiteral("hugo"), {});
    hugo.waitForFinished(60000);
    return {hugo.exitStatus() == QProcess::NormalExit && hugo.exitCode() == 0,
            QString::fromUtf8(hugo.readAll())};
}

// Every built page that holds a raw control character, which no page may.
QStringList PagesWithControls(const QString& folder) {
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x08\\x0B\\x0C\\x0E-\\x1F]"));
    QStringList pages;
    QDirIterator it(folder, {"*.html", "*.xml"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString page = it.next();
        if (ReadText(page).contains(control)) {
            pages << page;
        }
    }
    return pages;
}

// The text as Hugo's templates escape it.
QString Escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped().replace(QStringLiteral("&quot;"),
                                                                QStringLiteral("&#34;"));
}

// exportwren exported for Hugo and built by `hugo` as it comes: article pages with their
// pictures beside them and their comments, category pages over the listing's pages, a home
// page, the board and the songs, every hostile title escaped; a second export replaces the first.
TEST(HugoExport, TheSiteBuildsWithHugoAloneAndShowsTheSpace) {
    if (QStandardPaths::findExecutable(QStringLiteral("hugo")).isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("hugo");
    }
    ASSERT_EQ(Saved().failure, "");
    const TempFolder out;
    const QString site = out.Path() + QStringLiteral("/site");
    const CliResult exported = Export({"--to", "hugo", "--out", site}, true);
    ASSERT_EQ(exported.exitCode, 0) << exported.err << exported.out;
    const auto labels = FinalLabels(JsonLines(exported.out));
    EXPECT_EQ(labels.at("articles"), std::to_string(kSavedArticles));
    EXPECT_EQ(labels.at("pictures"), "2") << "the thumbnail and the full picture";
    EXPECT_EQ(labels.at("export"), site.toStdString());

    const QString matter = ReadText(site + "/content/posts/00000000000000a1/index.html");
    for (const char* line :
         {"date = 2009-05-01T08:30:00+08:00\n",
          "original = \"http://hi.baidu.com/exportwren/blog/item/00000000000000a1.html\"\n",
          "aliases = [\"/exportwren/blog/item/00000000000000a1.html\"]\n",
          "categories = [\"随笔\"]\n"}) {
        EXPECT_TRUE(matter.contains(QString::fromUtf8(line))) << line << matter.toStdString();
    }

    const HugoBuild build = BuildWithHugo(site);
    ASSERT_TRUE(build.built) << build.output.toStdString();
    EXPECT_FALSE(build.output.contains(QStringLiteral("WARN"))) << build.output.toStdString();
    const QString public_ = site + QStringLiteral("/public/");
    EXPECT_EQ(PagesWithControls(public_).join(' ').toStdString(), "");

    const QString home = ReadText(public_ + "index.html");
    for (const QString& title :
         {Escaped(kHostileTitle), QStringLiteral("控制\uFFFD字符\uFFFD"),
          QStringLiteral("{{&lt; figure &gt;}} 与 {{% note %}}"), QStringLiteral("第四篇"),
          QStringLiteral("另一类"), QStringLiteral("早先的")}) {
        EXPECT_TRUE(home.contains(title)) << title.toStdString() << "\n" << home.toStdString();
    }
    EXPECT_FALSE(home.contains(QStringLiteral("<script>alert")));
    EXPECT_FALSE(home.contains(QStringLiteral("存不下的"))) << "a failed save has no article";
    EXPECT_EQ(home.count(QStringLiteral("<li>")), kSavedArticles);

    const QString post = public_ + QStringLiteral("posts/00000000000000a1/");
    const QString article = ReadText(post + "index.html");
    static const QRegularExpression local(QStringLiteral("(?:src|href)=\"?([^\"/ >]+\\.jpg)"));
    QStringList pictures;
    for (const QRegularExpressionMatch& match : local.globalMatch(article)) {
        pictures << match.captured(1);
        EXPECT_TRUE(QFile::exists(post + match.captured(1))) << match.captured(1).toStdString();
    }
    EXPECT_EQ(pictures.size(), 2) << article.toStdString();
    EXPECT_FALSE(article.contains(QString::fromStdString(kThumbnail)));
    EXPECT_TRUE(article.contains(QString::fromStdString(kLostPicture))) << "left as it was";
    EXPECT_TRUE(article.contains(QStringLiteral("2009-05-01 08:30")));
    EXPECT_EQ(article.count(QStringLiteral("class=\"tit2\"")), 1) << "the body without its title";
    EXPECT_TRUE(article.contains(QStringLiteral("乙君")) &&
                article.contains(QStringLiteral("第二条评论")))
        << article.toStdString();
    EXPECT_TRUE(article.contains(Escaped(kHostileComment))) << article.toStdString();
    const QString shortcodes = ReadText(public_ + "posts/00000000000000a3/index.html");
    EXPECT_TRUE(shortcodes.contains(QStringLiteral("{&#123;&lt; figure src=x &gt;}}")))
        << shortcodes.toStdString();
    EXPECT_TRUE(ReadText(public_ + "exportwren/blog/item/00000000000000a1.html")
                    .contains(QStringLiteral("posts/00000000000000a1/")))
        << "the original address leads to the article";

    // The category of three listing pages, and the one of a hostile name.
    const QString notes = ReadText(public_ + QStringLiteral("categories/随笔/index.html"));
    EXPECT_EQ(notes.count(QStringLiteral("<li>")), 4) << notes.toStdString();
    const QString categories = ReadText(public_ + "categories/index.html");
    // A "/" would make a folder within the categories' folder: it takes its full-width form.
    const QString term = Escaped(kHostileCategory).replace(QChar('/'), QChar(0xFF0F));
    EXPECT_TRUE(categories.contains(term + QStringLiteral("</a>（2）")))
        << categories.toStdString();
    EXPECT_FALSE(categories.contains(QStringLiteral("<b>分类")));

    const QString board = ReadText(public_ + "board/index.html");
    EXPECT_TRUE(board.contains(QStringLiteral("2 条留言")) &&
                board.contains(Escaped(kHostileMessage)))
        << board.toStdString();
    EXPECT_TRUE(QFile::exists(public_ + "songs/song-1.mp3"));
    EXPECT_TRUE(ReadText(public_ + "songs/index.html").contains(QStringLiteral("茉莉花")));
    EXPECT_TRUE(ReadText(public_ + "comments/index.html").contains(QStringLiteral("文章没有保存")));
    EXPECT_TRUE(ReadText(public_ + "space.css").contains(QStringLiteral("#fefefe")));

    // A second export takes the first one's place whole, the built site with it.
    ASSERT_EQ(Export({"--to", "hugo", "--out", site}).exitCode, 0);
    EXPECT_FALSE(QDir(public_).exists());
    EXPECT_EQ(ReadText(site + "/content/posts/00000000000000a1/index.html"), matter);
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"site"})
        << "nothing is left beside it";

    // Opened from the disk, an article asks nothing of the network: the lost picture is a link
    // to where it was, not a picture fetched from there.
    ASSERT_TRUE(BuildWithHugo(site).built);
    if (HeadlessChromium::Program().isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("chromium");
    }
    const HitLog log;
    ASSERT_GT(log.Port(), 0);
    const std::string dom = HeadlessChromium().DumpDomAfter(
        post + "index.html", 3000,
        {QStringLiteral("--proxy-server=127.0.0.1:%1").arg(log.Port()),
         QStringLiteral("--proxy-bypass-list=<-loopback>")});
    EXPECT_NE(dom.find("第二条评论"), std::string::npos) << dom;
    EXPECT_EQ(PageHits(log.Hits()), "");
}

// The site is put on the web and opened from the disk: the tag soup of an old page reaches it
// with its texts and without its scripts, frames and script links.
TEST(HugoExport, AnArticleOfTagSoupKeepsItsTextsAndNoScript) {
    ASSERT_EQ(Soup().failure, "");
    const TempFolder out;
    const QString site = out.Path() + QStringLiteral("/site");
    ASSERT_EQ(Soup().Export({"--to", "hugo", "--out", site}).exitCode, 0);
    QString soup;
    QDirIterator it(site + "/content/posts", {"index.html"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && soup.isEmpty()) {
        const QString page = ReadText(it.next());
        soup = page.contains(QStringLiteral("块一")) ? page : QString();
    }
    qsizetype at = 0;
    for (const QString& text : kSoupTexts) {
        const qsizetype found = soup.indexOf(text.toHtmlEscaped(), at);
        EXPECT_GE(found, 0) << text.toStdString() << "\n" << soup.toStdString();
        at = std::max(at, found);
    }
    for (const char* gone : {"<script", "alert(", "<iframe", "javascript:", "<style", "<input"}) {
        EXPECT_FALSE(soup.contains(QLatin1String(gone), Qt::CaseInsensitive)) << gone;
    }
}

// The command refuses what it cannot do with a usage error, and a path it cannot write with a
// message, leaving whatever was there as it was.
TEST(HugoExport, WhatCannotBeWrittenIsRefusedAndLeftAsItWas) {
    ASSERT_EQ(Saved().failure, "");
    const TempFolder out;
    for (const QStringList& usage :
         {QStringList{"--out", out.Path() + "/a"}, QStringList{"--to", "pdf", "--out", "x"},
          QStringList{"--to", "hugo"}, QStringList{"--to", "hugo", "--out", "x", "--now"},
          QStringList{"--to"}}) {
        const CliResult result = Export(usage);
        EXPECT_EQ(result.exitCode, 2) << usage.join(' ').toStdString();
        EXPECT_TRUE(result.err.find("usage:") != std::string::npos) << result.err;
    }
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    out.Write("file", "mine");
    QDir().mkpath(out.Path() + "/folder");
    out.Write("folder/notes.txt", "mine too");
    for (const QString& path : {out.Path() + "/file", out.Path() + "/folder",
                                out.Path() + "/file/site", out.Path() + "/missing/site"}) {
        const CliResult result = Export({"--to", "hugo", "--out", path});
        EXPECT_EQ(result.exitCode, 1) << path.toStdString();
        EXPECT_TRUE(result.out.find(path.toStdString()) != std::string::npos) << result.out;
    }
    EXPECT_EQ(out.Read("file"), "mine");
    EXPECT_EQ(out.Read("folder/notes.txt"), "mine too");
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"file", "folder"}));

    // A space never saved, and one whose record cannot be read.
    const TempFolder app;
    const QStringList site{"--to", "hugo", "--out", out.Path() + "/site"};
    const auto run = [&](const QStringList& options) {
        return RunCli(QStringList{"--app-dir", app.Path(), "export", kAddress} + options);
    };
    EXPECT_EQ(run(site).exitCode, 1);
    QDir().mkpath(app.Path() + "/exportwren");
    EXPECT_EQ(run(site).exitCode, 1);
    app.Write("exportwren/保存记录.json", "{\"address\": ");
    const CliResult unreadable = run(site);
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_TRUE(unreadable.out.find("无法读取保存记录") != std::string::npos) << unreadable.out;
    EXPECT_FALSE(QDir(out.Path() + "/site").exists());
}

}  // namespace
