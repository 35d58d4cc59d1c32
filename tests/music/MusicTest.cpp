#include <gtest/gtest.h>

#include <QDir>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestMusicWindow.h"
#include "music/MusicDownload.h"
#include "music/Playlist.h"
#include "sim/MusicPages.h"

namespace {

class MusicTest : public ::testing::Test {
protected:
    // Lists and downloads the songs of the space as the two buttons do, one after the other.
    DownloadOutcome Download(TestMusicWindow& window) {
        RunPlaylistRetrieval(window);
        return RunMusicDownload(window);
    }

    // The bytes the simulator serves for the song of the space at that row.
    std::string Served(const char* space, int row) {
        return spacesim::SongBytes(sim_.Server().Spaces().Find(space)->songs.at(row));
    }

    QStringList Rows(TestMusicWindow& window) {
        QStringList rows;
        for (int i = 1; i <= window.songs.RowCount(); ++i) {
            rows << window.songs.Cell(i, 0) + " " + window.songs.Cell(i, 1);
        }
        return rows;
    }

    SimFixture sim_;
    TempFolder app_;
};

TEST_F(MusicTest, SampleSpaceSongsArriveWholeWithTheirProgress) {
    TestMusicWindow window(app_.Path(), QStringLiteral("hi.baidu.com/jiaoliao"));
    const DownloadOutcome outcome = Download(window);
    EXPECT_EQ(window.address, "http://hi.baidu.com/jiaoliao");
    EXPECT_EQ(Rows(window), QStringList({"1 http://music.pagewren.test/songs/1.mp3",
                                         "2 http://music.pagewren.test/songs/2.mp3",
                                         "3 http://music.pagewren.test/songs/3.mp3"}));
    EXPECT_TRUE(window.downloadEnabled);
    EXPECT_EQ(outcome.songs, 3);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(window.songStatuses,
              QStringList({"共 3 歌曲", "共 3 歌曲，正在下载第 1 首歌曲",
                           "共 3 歌曲，正在下载第 2 首歌曲", "共 3 歌曲，正在下载第 3 首歌曲",
                           "共 3 歌曲，已下载完毕"}));
    // The first song is 3000 bytes: three pieces of 1024, 1024 and 952 bytes.
    EXPECT_EQ(
        window.progress.mid(0, 4),
        QStringList({"下载进度34%，已下载：1 Kb", "下载进度68%，已下载：2 Kb",
                     "下载进度100%，已下载：2.929688 Kb", "下载完成，文件大小：2.929688 Kb"}));
    EXPECT_EQ(window.progress.last(), "下载完成，文件大小：3072 Kb");
    EXPECT_EQ(window.destination, app_.Path() + "/jiaoliao/背景音乐/3.mp3");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(app_.Read(QStringLiteral("jiaoliao/背景音乐/%1.mp3").arg(row + 1)),
                  Served("jiaoliao", row));
    }
}

TEST_F(MusicTest, EverySongKeepsItsOwnFileAndAFailedOneKeepsTheEarlierCopy) {
    // songwren: 鸟鸣.mp3, a missing song, a slow one (here answered without a body), then
    // b/same.mp3 and a shorter c/same.mp3 sent without a length.
    QDir().mkpath(app_.Path() + "/songwren/背景音乐");
    app_.Write("songwren/背景音乐/gone.mp3", "earlier copy");
    app_.Write("songwren/背景音乐/slow.mp3", "earlier copy");
    sim_.SetFault("/slow.mp3", "empty");
    TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/songwren"));
    const DownloadOutcome outcome = Download(window);
    EXPECT_EQ(outcome.failed, 2);
    EXPECT_EQ(window.songStatuses.last(), "共 5 歌曲，已下载完毕，其中 2 首下载失败");
    EXPECT_EQ(app_.Read("songwren/背景音乐/鸟鸣.mp3"), Served("songwren", 0));
    EXPECT_EQ(app_.Read("songwren/背景音乐/gone.mp3"), "earlier copy");
    EXPECT_EQ(app_.Read("songwren/背景音乐/slow.mp3"), "earlier copy");
    EXPECT_EQ(app_.Read("songwren/背景音乐/same.mp3"), Served("songwren", 4));
    EXPECT_EQ(window.max, 5000.0f);
    // Nothing else, such as a partial or temporary file, is left in the song folder.
    EXPECT_EQ(QDir(app_.Path() + "/songwren/背景音乐").entryList(QDir::Files).size(), 4);
}

TEST_F(MusicTest, PlaylistWalkEndsOnAnyPlaylist) {
    const std::pair<const char*, QStringList> cases[] = {
        {"Version=<ref href=\"http://m.test/a.mp3\" /><ref href=\"http://m.test/a.mp3\" />"
         "<ref href=\"http://m.test/b.mp3\" />",
         {"1 http://m.test/a.mp3"}},
        {"Version=<ref href=\"http://m.test/a.mp3\" /><ref href=\"\" />",
         {"1 http://m.test/a.mp3"}},
        {"Version= and nothing else", {"1 "}},
        {"<ref href=\"http://m.test/a.mp3\" /> without the mark", {}},
        {"Version=<ref href=\"http://m.test/a.mp3", {"1 "}},
    };
    for (const auto& [playlist, rows] : cases) {
        SCOPED_TRACE(playlist);
        sim_.Server().SetPage("/odd/music/music.pls", playlist);
        TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/odd"));
        RunPlaylistRetrieval(window);
        EXPECT_EQ(Rows(window), rows);
        EXPECT_EQ(window.songStatuses.last(), QStringLiteral("共 %1 歌曲").arg(rows.size()));
    }
}

TEST_F(MusicTest, NothingIsWrittenOverAFileWhereTheSpaceFolderBelongs) {
    app_.Write("jiaoliao", "a file where the space folder belongs");
    TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
    EXPECT_EQ(Download(window).failed, 3);
    EXPECT_EQ(app_.Read("jiaoliao"), "a file where the space folder belongs");
    // A short address asks for nothing and lists nothing.
    sim_.ClearRequests();
    TestMusicWindow shortAddress(app_.Path(), QStringLiteral("ab"));
    Download(shortAddress);
    EXPECT_EQ(shortAddress.address, "http://ab");
    EXPECT_EQ(shortAddress.songStatuses.last(), "共 0 歌曲，已下载完毕");
    EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(MusicTest, CliShowsTheListAndBothCaptionsAsJson) {
    const CliResult result = RunCli({"--app-dir", app_.Path(), "--pace", "0", "--json", "music",
                                     "http://hi.baidu.com/jiaoliao", "--download"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = JsonLines(result.out);
    EXPECT_EQ(ListRows(lines, "LVmusic").size(), 3u);
    const auto labels = FinalLabels(lines);
    EXPECT_EQ(labels.at("Label2"), "共 3 歌曲，已下载完毕");
    EXPECT_EQ(labels.at("Label1"), "下载完成，文件大小：3072 Kb");
}

}  // namespace
