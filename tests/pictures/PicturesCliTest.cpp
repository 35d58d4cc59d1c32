// What a user of `pagewren-cli articles … --save` meets of the pictures: the sample space
// photowren shows thumbnails, a picture two articles share, a picture its host lost, one its
// archive answers with a page, one typed as a page, addresses that are no web pictures, and
// holds photos no article shows.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QThread>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "reading/ReadingNames.h"
#include "sim/PictureMaker.h"
#include "sim/WarcWriter.h"
#include "space/PictureNames.h"

namespace {

const QString kSpace = QStringLiteral("http://hi.baidu.com/photowren");
const std::string kHost = "http://hiphotos.baidu.com/photowren";
const std::string kThumb1 = kHost + "/abpic/item/eeb9e23c4a5e7cd1ea5630bc.jpg";
const std::string kFull1 = kHost + "/pic/item/eeb9e23c4a5e7cd1ea5630bc.jpg";
const std::string kThumb2 = kHost + "/abpic/item/2ab41c1ad9b98b03740fc902.jpg";
const std::string kFull2 = kHost + "/pic/item/2ab41c1ad9b98b03740fc902.jpg";
const std::string kShared = "http://img.pagewren.test/shared.png";
const std::string kLabelled = "http://img.pagewren.test/labelled.jpg";
const std::string kMissing = kHost + "/pic/item/8125e9a04b69ba2732ab5551.jpg";
const std::string kGone = "http://img.pagewren.test/gone.gif";
const std::string kPage = kHost + "/pic/item/02184edb2850350adc9f8e83.jpg";
// The album's photos that no article shows.
const std::string kPhoto3 = kHost + "/pic/item/dec5bba55259178ed81c275f.jpg";
const std::string kPhoto4 = kHost + "/pic/item/b25a4573bb318d28cfd1a66a2311e92adefe1209.jpg";

const QString kFolder = QStringLiteral("photowren/") + kPictureFolderName;

CliResult Save(const TempFolder& app, const QStringList& before, const QStringList& after = {}) {
    return RunCli(QStringList{"--app-dir", app.Path(), "--pace", "0"} + before +
                  QStringList{"articles", kSpace, "--wait", "0", "--save", "html"} + after);
}

QString Name(const std::string& address, const char* extension) {
    return PictureFileStem(QString::fromStdString(address)) + QString::fromLatin1(extension);
}

// The picture the simulator serves at the address, as its file should hold it.
std::string Served(const std::string& address) {
    return spacesim::PictureBytes(address, spacesim::PictureFormatOf(address));
}

// Every file of the folder by name, with its bytes.
std::map<QString, std::string> FilesIn(const QString& folder) {
    std::map<QString, std::string> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        std::ifstream in(path.toStdString(), std::ios::binary);
        files[it.fileName()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// How often each picture was asked of its host or the archive, by address.
std::map<std::string, int> PictureRequests(const SimFixture& sim) {
    std::map<std::string, int> asked;
    for (const std::string& line : sim.Requests()) {
        if (line.starts_with("hiphotos.baidu.com/") || line.starts_with("img.pagewren.test/")) {
            ++asked["http://" + line];
        }
    }
    return asked;
}

// The save record's pictures by address.
std::map<std::string, nlohmann::json> RecordedPictures(const TempFolder& app,
                                                       const QString& space = "photowren") {
    std::ifstream in(app.File(space + "/" + kSaveRecordName));
    const nlohmann::json record = nlohmann::json::parse(in);
    std::map<std::string, nlohmann::json> pictures;
    for (const nlohmann::json& row : record["pictures"]["rows"]) {
        pictures[row["address"]] = row;
    }
    return pictures;
}

std::string Label2(const CliResult& run) {
    const std::size_t at = run.out.rfind("Label2: ");
    return at == std::string::npos ? std::string()
                                   : run.out.substr(at + 8, run.out.find('\n', at) - at - 8);
}

TEST(PicturesCli, EachPictureTheArticlesShowComesOnceAndOnlyPicturesAreKept) {
    SimFixture sim;
    TempFolder app;
    // An earlier copy of the picture that its host now answers with a page.
    QDir().mkpath(app.Path() + "/" + kFolder);
    app.Write(kFolder + "/" + Name(kPage, ".jpg"), "earlier copy");

    const CliResult run = Save(app, {});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(Label2(run), "保存完毕！图片已保存 6 张，3 张图片保存失败");
    // One request per picture, however many articles show it and however they write it; none
    // for a scheme that is no web's, nor for a picture inside a comment.
    const std::map<std::string, int> once = {{kThumb1, 1}, {kFull1, 1},  {kThumb2, 1},
                                             {kFull2, 1},  {kShared, 1}, {kMissing, 1},
                                             {kGone, 1},   {kPage, 1},   {kLabelled, 1}};
    EXPECT_EQ(PictureRequests(sim), once);
    for (const std::string& line : sim.Requests()) {
        EXPECT_EQ(line.find("javascript"), std::string::npos) << line;
        EXPECT_EQ(line.find("data:"), std::string::npos) << line;
    }
    // Each picture byte for byte under its own name with its kind's extension, the one served
    // as a page included; the page and the lost pictures left nothing but the earlier copy.
    const std::map<QString, std::string> kept = {
        {Name(kThumb1, ".jpg"), Served(kThumb1)}, {Name(kFull1, ".jpg"), Served(kFull1)},
        {Name(kThumb2, ".jpg"), Served(kThumb2)}, {Name(kFull2, ".jpg"), Served(kFull2)},
        {Name(kShared, ".png"), Served(kShared)}, {Name(kLabelled, ".jpg"), Served(kLabelled)},
        {Name(kPage, ".jpg"), "earlier copy"}};
    EXPECT_EQ(FilesIn(app.Path() + "/" + kFolder), kept);
    // The record notes each picture with its file and outcome, live: from nowhere else.
    const auto recorded = RecordedPictures(app);
    ASSERT_EQ(recorded.size(), once.size());
    for (const auto& [address, row] : recorded) {
        const bool failed = address == kMissing || address == kGone || address == kPage;
        EXPECT_EQ(row["outcome"], failed ? "failed" : "saved") << address;
        EXPECT_EQ(row["article"], true);
        EXPECT_EQ(row["album"], false);
        EXPECT_EQ(row["from"], "");
        const std::string file = row["file"];
        EXPECT_EQ(file.empty(), address == kMissing || address == kGone) << address;
        EXPECT_TRUE(file.empty() ||
                    QFile::exists(app.Path() + "/photowren/" + QString::fromStdString(file)))
            << file;
    }

    // Resumed, only the pictures without a file are asked for again, those of the articles
    // saved before included; the earlier copy counts as saved.
    sim.ClearRequests();
    const CliResult resumed = Save(app, {}, {"--skip-saved"});
    EXPECT_EQ(resumed.exitCode, 1);
    EXPECT_EQ(Label2(resumed),
              "保存完毕！已跳过 4 篇，图片已保存 0 张，2 张图片保存失败，"
              "已跳过 7 张图片");
    EXPECT_EQ(PictureRequests(sim), (std::map<std::string, int>{{kMissing, 1}, {kGone, 1}}));

    // Without pictures a save is what it was: no request, no folder, no note, success.
    TempFolder plain;
    sim.ClearRequests();
    const CliResult without = Save(plain, {}, {"--no-pictures"});
    EXPECT_EQ(without.exitCode, 0) << without.out;
    EXPECT_EQ(Label2(without), "保存完毕！");
    EXPECT_TRUE(PictureRequests(sim).empty());
    EXPECT_FALSE(QDir(plain.Path() + "/" + kFolder).exists());
}

TEST(PicturesCli, ThroughAnArchiveOrItsFilesTheIndexBringsThePhotosNoArticleShows) {
    // A space of a Chinese name: its photos are at its name's code page 936 escapes.
    spacesim::Space chinese;
    chinese.name = "鹪鹩相册";
    chinese.title = "相册";
    chinese.categories.push_back(
        {"notes",
         "随记",
         spacesim::PagerForm::Last,
         {{"00000000000000a1", "一篇", "2009-01-01 00:00", "<p>没有图。</p>"}}});
    chinese.photos = {"0a1b2c3d4e5f60718293a4b5"};
    SimFixture sim({chinese});
    const QString archive = QStringLiteral("http://127.0.0.1:%1/").arg(sim.Port());
    const QString prefix = archive + "web/20120101000000id_/";
    // The archive is busy once when a photo is asked for: waited out, then it comes.
    sim.Server().SetBusy("hiphotos.baidu.com/photowren/pic/item/dec5bba55259178ed81c275f.jpg", 1,
                         1);

    TempFolder app;
    const CliResult run = Save(app, {"--replay", prefix});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Label2(run), "保存完毕！图片已保存 8 张，3 张图片保存失败");
    const auto recorded = RecordedPictures(app);
    for (const std::string& photo : {kPhoto3, kPhoto4}) {
        ASSERT_TRUE(recorded.contains(photo)) << photo;
        const nlohmann::json& row = recorded.at(photo);
        EXPECT_EQ(row["album"], true);
        EXPECT_EQ(row["article"], false);
        EXPECT_EQ(row["captured"], "20120101000000");
        EXPECT_EQ(row["from"], prefix.toStdString() + photo);
        EXPECT_EQ(row["outcome"], "saved");
    }
    // A photo an article shows too is asked for once, and both are noted.
    EXPECT_EQ(recorded.at(kFull1)["album"], true);
    EXPECT_EQ(recorded.at(kFull1)["article"], true);
    EXPECT_EQ(PictureRequests(sim).at(kFull1), 1);
    EXPECT_EQ(PictureRequests(sim).at(kPhoto3), 2);
    const std::map<QString, std::string> fromArchive = FilesIn(app.Path() + "/" + kFolder);
    EXPECT_EQ(fromArchive.size(), 8u);
    EXPECT_EQ(fromArchive.at(Name(kPhoto4, ".jpg")), Served(kPhoto4));
    // Every picture came from the archive, not from its own host.
    for (const std::string& target : sim.Server().Targets()) {
        EXPECT_TRUE(target.starts_with(archive.toStdString())) << target;
    }

    // The archive's files answer alike, from their own index, with no request at all.
    TempFolder files;
    const std::string warc = files.File("photowren.warc.gz");
    spacesim::WriteSpaceWarcFile(sim.Server().Spaces(), "photowren", warc);
    sim.ClearRequests();
    const CliResult fromFiles = Save(files, {"--replay", "warc:" + QString::fromStdString(warc)});
    EXPECT_EQ(Label2(fromFiles), Label2(run));
    EXPECT_EQ(FilesIn(files.Path() + "/" + kFolder), fromArchive);
    EXPECT_EQ(RecordedPictures(files).at(kPhoto3)["from"], "warc:" + warc + " " + kPhoto3);
    EXPECT_EQ(RecordedPictures(files).at(kPhoto3)["captured"], "20120101000000");
    EXPECT_TRUE(sim.Requests().empty());

    // The photo of the space with a Chinese name is found under its escaped name.
    TempFolder other;
    const CliResult escaped =
        RunCli({"--app-dir", other.Path(), "--pace", "0", "--replay", prefix, "articles",
                "http://hi.baidu.com/鹪鹩相册", "--wait", "0", "--save", "txt"});
    EXPECT_EQ(escaped.exitCode, 0) << escaped.out;
    EXPECT_EQ(Label2(escaped), "保存完毕！图片已保存 1 张");
    const QString folder = other.Path() + "/" + SpaceFolderName("http://hi.baidu.com/鹪鹩相册") +
                           "/" + kPictureFolderName;
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
}

TEST(PicturesCli, AnInterruptWhilePicturesComeLeavesNoPartOfOne) {
    SimFixture sim;
    TempFolder app;
    sim.SetFault("hiphotos.baidu.com/photowren/pic/item/eeb9e23c4a5e7cd1ea5630bc.jpg", "stall");
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(QStringLiteral(PAGEWREN_CLI_PATH),
              {"--app-dir", app.Path(), "--pace", "0", "articles", kSpace, "--wait", "0", "--save",
               "html"});
    for (int waited = 0; !PictureRequests(sim).contains(kFull1) && waited < 60000; waited += 20) {
        QThread::msleep(20);
    }
    QThread::msleep(200);
    kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 130);
    // The thumbnail before it is whole; of the stalled picture nothing is left, not even a
    // passing file, and no later picture was asked for.
    const std::map<QString, std::string> files = FilesIn(app.Path() + "/" + kFolder);
    EXPECT_EQ(files, (std::map<QString, std::string>{{Name(kThumb1, ".jpg"), Served(kThumb1)}}));
    EXPECT_FALSE(PictureRequests(sim).contains(kThumb2));
}

}  // namespace
