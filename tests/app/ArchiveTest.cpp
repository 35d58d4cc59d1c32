#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QThread>

#include "ChildProcess.h"
#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "sim/SpaceStore.h"
#include "sim/WarcWriter.h"
#include "space/PictureNames.h"

namespace {

const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");
const QString kItem = QStringLiteral("/jiaoliao/blog/item/");
// The sample space's photos that no article shows.
const std::string kAlbumOnly[] = {"c8a0ad2270070e5bcb54f0d9", "ee04c4f2d772e206d305c10f"};

// Every file beneath the folder with its bytes, by path relative to it.
std::map<QString, std::string> Tree(const TempFolder& folder) {
    std::map<QString, std::string> files;
    for (const QString& path : folder.Files()) {
        files[path] = folder.Read(path);
    }
    return files;
}

class ArchiveTest : public ::testing::Test {
protected:
    // The simulator's own archive face, reached through it as a proxy like any other host.
    QString Prefix(const char* time) const {
        return QStringLiteral("http://127.0.0.1:%1/web/%2/").arg(sim_.Port()).arg(time);
    }

    // pagewren-cli with no waits into the folder, through the prefix when one is given.
    CliResult Cli(const TempFolder& app, const QString& prefix, const QStringList& command) {
        QStringList arguments{"--app-dir", app.Path(), "--pace", "0"};
        if (!prefix.isEmpty()) {
            arguments << "--replay" << prefix;
        }
        return RunCli(arguments + command);
    }

    int ArticleRequests() const {
        int count = 0;
        for (const std::string& line : sim_.Requests()) {
            count += line.find("/blog/item/") != std::string::npos ? 1 : 0;
        }
        return count;
    }

    SimFixture sim_;
};

TEST_F(ArchiveTest, WholeBackupThroughTheArchiveIsTheSameAsThroughTheProxy) {
    const QList<QStringList> backup = {
        {"survey", kSample},
        {"articles", kSample, "--wait", "0", "--save", "html"},
        {"articles", kSample, "--wait", "0", "--save", "txt"},
        {"music", kSample, "--download"},
        {"css", kSample, "--save"},
        {"board", kSample, "--save"},
        {"comments", kSample, "--save"},
    };
    TempFolder proxied;
    TempFolder archived;
    for (const QStringList& command : backup) {
        ASSERT_EQ(Cli(proxied, {}, command).exitCode, 0) << command.join(' ').toStdString();
    }
    const std::vector<std::string> direct = sim_.Requests();
    sim_.ClearRequests();
    // A capture time the archive does not hold is redirected to the one it does. A prefix
    // pasted with a blank and without its last "/" is taken as meant.
    const QString pasted = QStringLiteral(" ") + Prefix("2012id_").chopped(1);
    for (const QStringList& command : backup) {
        ASSERT_EQ(Cli(archived, pasted, command).exitCode, 0);
    }
    // The archive's index also names the space's two photos that no article shows; they come
    // beside the pictures, once per save.
    std::map<QString, std::string> fromArchive = Tree(archived);
    const auto photos = std::erase_if(fromArchive, [&](const auto& file) {
        return file.first.contains(kPictureFolderName) && !Tree(proxied).contains(file.first);
    });
    EXPECT_EQ(photos, 2u);
    EXPECT_EQ(fromArchive, Tree(proxied));
    EXPECT_GT(Tree(proxied).size(), 40u);
    std::vector<std::string> withoutRedirects;
    int photoRequests = 0;
    for (const std::string& line : sim_.Requests()) {
        const bool photo = line.find(kAlbumOnly[0]) != std::string::npos ||
                           line.find(kAlbumOnly[1]) != std::string::npos;
        photoRequests += photo && line.rfind("/web/", 0) != 0 ? 1 : 0;
        // The archive's own index is asked once per catalogue and once per save for photos.
        if (line.rfind("/web/", 0) != 0 && line.find("/cdx/search/cdx?") == std::string::npos &&
            !photo) {
            withoutRedirects.push_back(line);
        }
    }
    EXPECT_EQ(photoRequests, 4);
    EXPECT_EQ(withoutRedirects, direct);
    // Songs too came from the archive, not from their own hosts.
    const std::string archive =
        QStringLiteral("http://127.0.0.1:%1/").arg(sim_.Port()).toStdString();
    for (const std::string& target : sim_.Server().Targets()) {
        EXPECT_TRUE(target.starts_with(archive + "web/") || target.starts_with(archive + "cdx/"))
            << target;
    }
}

TEST_F(ArchiveTest, MissingCaptureBusyArchiveAndTheBanner) {
    TempFolder app;
    QDir().mkpath(app.Path() + "/jiaoliao/生活随笔");
    app.Write("jiaoliao/生活随笔/2 为什么总是下雨?.txt", "earlier copy");
    // Never captured: the archive's 404 page is a failed request, not the article.
    sim_.SetFault((kItem + "8e89f1c3ee13d914.html").toStdString(), "status404");
    // Busy once: waited out for a second, then the page arrives.
    sim_.Server().SetBusy("/jiaoliao/blog", 1, 1);
    const auto lines =
        JsonLines(Cli(app, Prefix("20120101000000id_"),
                      {"--json", "articles", kSample, "--wait", "0", "--save", "txt"})
                      .out);
    EXPECT_EQ(ListRows(lines, "LVarticle").size(), 4u);
    EXPECT_EQ(ListRows(lines, "LVnum").size(), 17u);
    EXPECT_EQ(FinalLabels(lines).at("Label2"), "保存完毕！其中 1 篇文章保存失败，图片已保存 9 张");
    EXPECT_EQ(app.Read("jiaoliao/生活随笔/2 为什么总是下雨?.txt"), "earlier copy");

    // Without "id_" the archive adds its banner, whose date the article's time cut finds.
    TempFolder bannered;
    Cli(bannered, Prefix("20120101000000"), {"articles", kSample, "--wait", "0", "--save", "txt"});
    EXPECT_NE(bannered.Read("jiaoliao/生活随笔/3 Tom's 生日聚会.txt").find("/web/20120101000000"),
              std::string::npos);
}

TEST_F(ArchiveTest, InterruptedSaveLeavesWholeFilesAndResumesWithSkipSaved) {
    TempFolder app;
    QProcess cli;
    // At the windows' pace, two seconds an article: interrupted once two articles are saved.
    cli.start(QStringLiteral(PAGEWREN_CLI_PATH), {"--app-dir", app.Path(), "--json", "articles",
                                                  kSample, "--wait", "0", "--save", "txt"});
    for (int waited = 0; Tree(app).size() < 2 && waited < 60000; waited += 50) {
        QThread::msleep(50);
    }
    kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_EQ(ListRows(JsonLines(cli.readAllStandardOutput().toStdString()), "LVnum").size(), 17u);
    const auto saved = Tree(app);
    ASSERT_GE(saved.size(), 2u);
    ASSERT_LT(saved.size(), 17u);

    // The catalogue reads some article pages for their titles; the save reads the rest.
    sim_.ClearRequests();
    Cli(app, {}, {"articles", kSample, "--wait", "0"});
    const int catalogueRequests = ArticleRequests();
    sim_.ClearRequests();
    const CliResult resumed = Cli(
        app, {}, {"--json", "articles", kSample, "--wait", "0", "--save", "txt", "--skip-saved"});
    EXPECT_EQ(ArticleRequests(), catalogueRequests + 17 - static_cast<int>(saved.size()));
    // The pictures come after the articles: the interrupted save got none of them.
    EXPECT_EQ(
        FinalLabels(JsonLines(resumed.out)).at("Label2"),
        QStringLiteral("保存完毕！已跳过 %1 篇，图片已保存 7 张").arg(saved.size()).toStdString());
    EXPECT_EQ(Tree(app).size(), 17u + 7u);
}

// An address that names no space, through the proxy (the service's redirect to its error
// page) and through the archive (its capture of that redirect, or a "not archived" page
// answered with success): no file, the caption that says so, exit status 1.
TEST_F(ArchiveTest, AddressWithoutASpaceSavesNothingAndFails) {
    const QString closed = QStringLiteral("http://hi.baidu.com/closedwren");
    sim_.SetFault("/jiaoliao/blog", "notarchived");
    const std::pair<QString, QString> cases[] = {
        {QString(), closed}, {Prefix("2012id_"), closed}, {Prefix("2012id_"), kSample}};
    for (const auto& [prefix, address] : cases) {
        TempFolder app;
        std::vector<QStringList> commands{{"survey", address},
                                          {"articles", address, "--wait", "0", "--save", "html"}};
        if (address == closed) {  // the sample's playlist is archived: it has songs
            commands.push_back({"music", address, "--download"});
        }
        for (const QStringList& command : commands) {
            const CliResult result = Cli(app, prefix, command);
            EXPECT_EQ(result.exitCode, 1) << command.join(' ').toStdString() << result.err;
            EXPECT_NE(result.out.find("您的百度空间不存在！！"), std::string::npos) << result.out;
            EXPECT_EQ(result.out.find("保存完毕"), std::string::npos) << result.out;
        }
        EXPECT_EQ(app.Files(), QStringList{"blogurl.ini"}) << address.toStdString();
    }
}

// A space captured in the layout the service gave it from 2012 on (UTF-8 pages, its old
// addresses sent to the new home page), through the proxy, an archive replayed at a later
// time and archive files: every command says so and suggests an earlier capture, in place of
// saying that the space does not exist; nothing is saved and the run fails.
TEST_F(ArchiveTest, CaptureOfTheLaterLayoutIsToldApartFromAMissingSpace) {
    const QString later = QStringLiteral("http://hi.baidu.com/laterwren");
    TempFolder files;
    const QString warc = files.Path() + "/laterwren.warc.gz";
    spacesim::WriteSpaceWarcFile(sim_.Server().Spaces(), "laterwren", warc.toStdString());
    const std::pair<QStringList, std::string> sources[] = {
        {{}, "--replay"},
        {{"--replay", Prefix("2013id_")}, "earlier time in the prefix"},
        {{"--replay", "warc:" + warc, "--at", "20130601"}, "--at"},
    };
    const QList<QStringList> commands = {
        {"survey", later},
        {"articles", later, "--wait", "0", "--save", "html"},
        {"music", later, "--download"},
        {"css", later, "--save"},
        {"board", later, "--save"},
        {"comments", later, "--save"},
    };
    for (const auto& [source, hint] : sources) {
        TempFolder app;
        for (const QStringList& command : commands) {
            const CliResult result =
                RunCli(QStringList{"--app-dir", app.Path(), "--pace", "0"} + source + command);
            const std::string what = (source + command).join(' ').toStdString();
            EXPECT_EQ(result.exitCode, 1) << what << result.err;
            EXPECT_NE(result.out.find("此存档为新版空间，无法读取，请选更早的存档"),
                      std::string::npos)
                << what << result.out;
            EXPECT_EQ(result.out.find("不存在"), std::string::npos) << what << result.out;
            EXPECT_NE(result.err.find("later layout"), std::string::npos) << what << result.err;
            EXPECT_NE(result.err.find(hint), std::string::npos) << what << result.err;
        }
        EXPECT_EQ(app.Files(), QStringList{"blogurl.ini"}) << source.join(' ').toStdString();
    }
}

// The archive lacks a listing page of one category and the first page of another: the
// catalogue alone finds part of the articles, the archive's capture index the rest, and the
// save treats both alike.
TEST_F(ArchiveTest, ArticlesTheCatalogueMissedComeFromTheArchiveIndex) {
    const QString gaps = QStringLiteral("http://hi.baidu.com/gapwren");
    TempFolder catalogueOnly;
    auto lines = JsonLines(Cli(catalogueOnly, Prefix("2012id_"),
                               {"--no-index", "--json", "articles", gaps, "--wait", "0"})
                               .out);
    EXPECT_EQ(ListRows(lines, "LVnum").size(), 9u);

    TempFolder app;
    sim_.ClearRequests();
    const CliResult result =
        Cli(app, Prefix("2012id_"), {"--json", "articles", gaps, "--wait", "0", "--save", "txt"});
    lines = JsonLines(result.out);
    const auto rows = ListRows(lines, "LVnum");
    ASSERT_EQ(rows.size(), 17u);
    EXPECT_EQ(rows[9][0], "10");
    EXPECT_EQ(rows[9].back(), "存档索引");
    EXPECT_EQ(rows[8].size(), 5u);
    int fromIndex = 0;
    int indexRequests = 0;
    for (const std::string& line : sim_.Requests()) {
        // Not those for the space's photos, after the save.
        indexRequests += line.find("/cdx/search/cdx?") != std::string::npos &&
                                 line.find("hiphotos") == std::string::npos
                             ? 1
                             : 0;
    }
    for (const auto& row : rows) {
        fromIndex += row.back() == "存档索引" ? 1 : 0;
    }
    EXPECT_EQ(fromIndex, 8);
    EXPECT_EQ(indexRequests, 1);
    EXPECT_EQ(app.Files().filter(QStringLiteral(".txt")).size(), 17);
    EXPECT_NE(app.Read("gapwren/读书/15 读书之1.txt").size(), 0u);
    // The index made up every article the categories' counts promised: the unread listing
    // pages hid nothing, the rate counts every article listed, and the run succeeded.
    EXPECT_EQ(FinalLabels(lines).at("Label2"), "保存完毕！文章目录 3 页未读，8 篇由存档索引补全");
    EXPECT_NE(result.out.find("你的空间共3文章分类，共获取17篇文章！！，成功获取率为100.%，3 "
                              "页未读，8 篇由存档索引补全"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.exitCode, 0) << result.err;

    // Archive files hold their own index: the same articles, with no request at all.
    TempFolder files;
    const QString warc = files.Path() + "/gapwren.warc.gz";
    spacesim::WriteSpaceWarcFile(
        spacesim::SpaceStore::FromFolder(spacesim::SpaceStore::DefaultFolder()), "gapwren",
        warc.toStdString());
    sim_.ClearRequests();
    const auto fromFiles = ListRows(
        JsonLines(Cli(files, "warc:" + warc, {"--json", "articles", gaps, "--wait", "0"}).out),
        "LVnum");
    EXPECT_EQ(fromFiles.size(), 17u);
    EXPECT_EQ(fromFiles.back().back(), "存档索引");
    EXPECT_TRUE(sim_.Requests().empty());

    // An index that cannot be read is told; without a prefix there is no index to ask.
    TempFolder broken;
    const QString nowhere = QStringLiteral("http://127.0.0.1:%1/no/cdx").arg(sim_.Port());
    lines = JsonLines(Cli(broken, Prefix("2012id_"),
                          {"--cdx", nowhere, "--json", "articles", gaps, "--wait", "0"})
                          .out);
    EXPECT_NE(FinalLabels(lines).at("Label2").find("存档索引读取失败"), std::string::npos);
    // Nor is an index that pages on for ever, with a key never seen before on every page.
    sim_.SetFault("/cdx/search/cdx", "endless");
    sim_.ClearRequests();
    const CliResult endless = Cli(broken, Prefix("2012id_"), {"articles", gaps, "--wait", "0"});
    EXPECT_EQ(endless.exitCode, 1);
    EXPECT_NE(endless.out.find("存档索引读取失败"), std::string::npos) << endless.out;
    indexRequests = 0;
    for (const std::string& line : sim_.Requests()) {
        indexRequests += line.find("/cdx/search/cdx?") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(indexRequests, 200);
    sim_.ClearRequests();
    Cli(broken, {}, {"articles", gaps, "--wait", "0"});
    for (const std::string& line : sim_.Requests()) {
        EXPECT_EQ(line.find("/cdx/"), std::string::npos) << line;
    }
}

// An index that ignores the limit and floods one page of 64 MiB with captures of the space's
// articles taken again and again: read as it arrives, the page finds the articles the
// catalogue missed and the run stays under 64 MB.
TEST_F(ArchiveTest, AnIndexPageOfAnySizeIsReadInLittleMemory) {
    TempFolder app;
    sim_.SetFault("/cdx/search/cdx", "flood");
    const ChildRun run = RunCliChild({"--app-dir", app.Path().toStdString(), "--pace", "0",
                                      "--replay", Prefix("2012id_").toStdString(), "--json",
                                      "articles", "http://hi.baidu.com/gapwren", "--wait", "0"});
    EXPECT_EQ(ListRows(JsonLines(run.out), "LVnum").size(), 17u);
    EXPECT_EQ(run.out.find("存档索引读取失败"), std::string::npos) << run.out;
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine: its peak tells nothing of the reader.
    EXPECT_LT(run.peakKb, 64 * 1024);
#endif
}

// An index that holds no capture of the space's articles answers "[]": nothing to add, and
// no failure. The run says so in neither words nor exit status.
TEST_F(ArchiveTest, AnIndexWithoutCapturesIsNoFailure) {
    TempFolder app;
    sim_.ClearRequests();
    const CliResult result =
        Cli(app, Prefix("2012id_"), {"articles", "http://hi.baidu.com/lullwren", "--wait", "0"});
    int indexRequests = 0;
    for (const std::string& line : sim_.Requests()) {
        indexRequests += line.find("/cdx/search/cdx?") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(indexRequests, 1);
    EXPECT_EQ(result.out.find("存档索引读取失败"), std::string::npos) << result.out;
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
}

// Through a replay prefix every request stays on the archive's host, and the index's on the
// index's: an article page the index named and the index itself redirecting to another host
// are failed requests, told on standard error, and nothing is asked of that host.
TEST_F(ArchiveTest, RedirectsOffTheArchiveAreNotFollowed) {
    const QString gaps = QStringLiteral("http://hi.baidu.com/gapwren");
    TempFolder app;
    sim_.SetFault("/gapwren/blog/item/b200000000000000.html", "offsite");
    const CliResult article =
        Cli(app, Prefix("2012id_"), {"--json", "articles", gaps, "--wait", "0"});
    EXPECT_EQ(ListRows(JsonLines(article.out), "LVnum").size(), 16u);
    EXPECT_NE(article.err.find("b200000000000000.html"), std::string::npos) << article.err;
    EXPECT_NE(article.err.find("offsite.pagewren.test"), std::string::npos) << article.err;
    EXPECT_NE(article.err.find("not followed"), std::string::npos) << article.err;

    sim_.SetFault("/cdx/search/cdx", "offsite");
    const CliResult index = Cli(app, Prefix("2012id_"), {"articles", gaps, "--wait", "0"});
    EXPECT_EQ(index.exitCode, 1);
    EXPECT_NE(index.out.find("存档索引读取失败"), std::string::npos) << index.out;
    EXPECT_NE(index.err.find("/cdx/search/cdx?"), std::string::npos) << index.err;
    for (const std::string& line : sim_.Requests()) {
        EXPECT_EQ(line.find("offsite.pagewren.test"), std::string::npos) << line;
    }

    // Without a prefix the service's own redirects lead wherever it sends them.
    sim_.SetFault("/jiaoliao/blog", "offsite");
    Cli(app, {}, {"survey", QStringLiteral("http://hi.baidu.com/jiaoliao")});
    bool followed = false;
    for (const std::string& line : sim_.Requests()) {
        followed = followed || line.starts_with("offsite.pagewren.test");
    }
    EXPECT_TRUE(followed);
}

}  // namespace
