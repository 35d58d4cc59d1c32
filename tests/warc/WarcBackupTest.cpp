// A backup of every window from WARC files, written by GNU Wget and by spacesim, against the
// same backup through the simulator as a proxy.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <fstream>
#include <map>
#include <set>

#include <nlohmann/json.hpp>
#include "CliRunner.h"
#include "RequiredTool.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "WholeBackup.h"
#include "platform/WarcRecords.h"
#include "reading/ReadingNames.h"
#include "sim/WarcWriter.h"

namespace {

const QString& kAddress = kWholeBackupAddress;
const QStringList kFormats = {"html", "txt"};

// Crawls the addresses through the simulator with GNU Wget into FILE.warc.gz; with dedup, the
// answers that a CDX file names are written as revisit records.
void Crawl(const QString& wget, const QString& addresses, const QString& file,
           const QStringList& dedup) {
    QProcess crawl;
    // -nd: a page saved as "jiaoliao" must not stop "jiaoliao/blog" from being saved.
    crawl.start(wget,
                QStringList{"--mirror", "-nd", "-e", "robots=off", "--no-verbose", "-i", addresses,
                            "--warc-file=" + file, "--warc-cdx", "-P", file + "-files"} +
                    dedup);
    ASSERT_TRUE(crawl.waitForFinished(60000));
    ASSERT_TRUE(QFile::exists(file + ".warc.gz")) << crawl.readAllStandardError().toStdString();
}

std::size_t Revisits(const QString& file) {
    std::size_t revisits = 0;
    std::vector<std::string> problems;
    platform::ScanWarcFile(
        file.toStdString(),
        [&](platform::WarcRecordHead&& head, const platform::WarcRecordSpot&, const std::string&) {
            revisits += head.type == "revisit";
        },
        problems);
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
    return revisits;
}

TEST(WarcBackupTest, EveryWindowFromWarcFilesSavesWhatTheProxyGives) {
    const QString wget = QStandardPaths::findExecutable(QStringLiteral("wget"));
    if (wget.isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("GNU Wget");
    }
    SimFixture sim;
    TempFolder work;
    const QString proxyTree = work.Path() + "/proxy";
    const std::string proxied = BackUpEveryWindow(proxyTree, {}, kFormats);

    // Wget asks for what the backup asked for, twice: the second crawl finds every answer in
    // the first one's CDX and writes revisit records, which then are the latest captures.
    std::set<std::string> asked;
    for (const std::string& line : sim.Requests()) {
        asked.insert("http://" + line);
    }
    std::ofstream(work.File("addresses.txt")) << [&] {
        std::string lines;
        for (const std::string& address : asked) {
            lines += address + "\n";
        }
        return lines;
    }();
    const QString first = work.Path() + "/first";
    const QString second = work.Path() + "/second";
    Crawl(wget, work.Path() + "/addresses.txt", first, {});
    Crawl(wget, work.Path() + "/addresses.txt", second, {"--warc-dedup=" + first + ".cdx"});
    EXPECT_GE(Revisits(second + ".warc.gz"), asked.size() - 2);

    const std::string written = work.File("sim.warc.gz");
    spacesim::WriteSpaceWarcFile(sim.Server().Spaces(), "jiaoliao", written);
    EXPECT_EQ(Revisits(QString::fromStdString(written)), 2u);

    sim.ClearRequests();
    const std::string fromWget = BackUpEveryWindow(
        work.Path() + "/wget", {"--replay", "warc:" + first + ".warc.gz," + second + ".warc.gz"},
        kFormats);
    const std::string fromSim = BackUpEveryWindow(
        work.Path() + "/sim", {"--replay", "warc:" + QString::fromStdString(written)}, kFormats);
    EXPECT_TRUE(sim.Requests().empty()) << "the files answered, not the network";

    const auto expected = Tree(proxyTree);
    EXPECT_GT(expected.size(), 40u);
    // The files' own index lists the pictures under the space's photo address, which the reading
    // copy shows on its album page; the live pages have no index to list them.
    const QString album = "jiaoliao/" + kReadingFolderName + "/" + kAlbumPageName;
    auto fromWgetTree = Tree(work.Path() + "/wget");
    EXPECT_EQ(fromWgetTree.erase(album), 1u);
    EXPECT_TRUE(fromWgetTree == expected);
    // spacesim's files hold the space's two photos that no article shows, which their own index
    // names: each save brings them beside the pictures the proxy gave, and the album page.
    auto fromSimTree = Tree(work.Path() + "/sim");
    EXPECT_EQ(std::erase_if(fromSimTree,
                            [&](const auto& file) { return !expected.contains(file.first); }),
              3u);
    EXPECT_TRUE(fromSimTree == expected);
    EXPECT_TRUE(fromWget == proxied) << fromWget;
    std::string withoutPhotos = fromSim;
    for (std::size_t at; (at = withoutPhotos.find("图片已保存 9 张")) != std::string::npos;) {
        withoutPhotos.replace(at, std::string("图片已保存 9 张").size(), "图片已保存 7 张");
    }
    EXPECT_TRUE(withoutPhotos == proxied) << fromSim;
    // The record names the files an article came from, then its address in them.
    std::ifstream record((work.Path() + "/sim/jiaoliao/" + kSaveRecordName).toStdString());
    const nlohmann::json row = nlohmann::json::parse(record)["articles"]["rows"][0];
    EXPECT_EQ(row["from"], "warc:" + written + " " + row["address"].get<std::string>());
}

}  // namespace
