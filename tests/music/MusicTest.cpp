#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestMusicWindow.h"
#include "app/PlaylistRows.h"
#include "music/MusicDownload.h"
#include "music/Playlist.h"
#include "music/SongNames.h"
#include "platform/Http.h"
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

    // Each row's number and address, and its title when it has one.
    QStringList Rows(TestMusicWindow& window) {
        QStringList rows;
        for (int i = 1; i <= window.songs.RowCount(); ++i) {
            const QString title = window.songs.RowNote(i, kSongTitleNote);
            rows << window.songs.Cell(i, 0) + " " + window.songs.Cell(i, 1) +
                        (title.isEmpty() ? QString() : " " + title);
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
    EXPECT_EQ(Rows(window),
              QStringList({"1 http://music.pagewren.test/songs/1.mp3 茉莉花",
                           "2 http://music.pagewren.test/songs/2.mp3 月亮代表我的心",
                           "3 http://music.pagewren.test/songs/3.mp3 Jasmine (piano)"}));
    EXPECT_TRUE(window.downloadEnabled);
    EXPECT_EQ(outcome.songs, 3);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(window.songStatuses,
              QStringList({"共 3 歌曲", "共 3 歌曲，正在下载第 1 首歌曲",
                           "共 3 歌曲，正在下载第 2 首歌曲", "共 3 歌曲，正在下载第 3 首歌曲",
                           "共 3 歌曲，已下载完毕"}));
    // The download button is disabled while the songs come, and enabled again at the end.
    EXPECT_EQ(window.downloadEnabledWhenShown.mid(1, 3), (QList<bool>{false, false, false}));
    // The first song is 3000 bytes; its progress is shown as it comes, at most every 50 ms.
    const qsizetype firstDone = window.progress.indexOf("下载完成，文件大小：2.929688 Kb");
    ASSERT_GT(firstDone, 0);
    EXPECT_EQ(window.progress[firstDone - 1], "下载进度100%，已下载：2.929688 Kb");
    EXPECT_EQ(window.progress.last(), "下载完成，文件大小：3072 Kb");
    EXPECT_EQ(window.destination, app_.Path() + "/jiaoliao/背景音乐/3.mp3");
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(app_.Read(QStringLiteral("jiaoliao/背景音乐/%1.mp3").arg(row + 1)) ==
                    Served("jiaoliao", row));
    }
    // Another address typed after the listing: the listed songs still go to their own space.
    window.address = QStringLiteral("http://hi.baidu.com/smallwren");
    EXPECT_EQ(RunMusicDownload(window).failed, 0);
    EXPECT_EQ(window.destination, app_.Path() + "/jiaoliao/背景音乐/3.mp3");
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/smallwren"));
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
    EXPECT_TRUE(app_.Read("songwren/背景音乐/鸟鸣.mp3") == Served("songwren", 0));
    EXPECT_EQ(app_.Read("songwren/背景音乐/gone.mp3"), "earlier copy");
    EXPECT_EQ(app_.Read("songwren/背景音乐/slow.mp3"), "earlier copy");
    // The later song of the same name gets a numbered name beside the first.
    EXPECT_TRUE(app_.Read("songwren/背景音乐/same.mp3") == Served("songwren", 3));
    EXPECT_TRUE(app_.Read("songwren/背景音乐/same(2).mp3") == Served("songwren", 4));
    // Sent without a length: the expected length is what came.
    EXPECT_EQ(window.max, 5000.0f);
    EXPECT_EQ(window.progress.last(), "下载完成，文件大小：4.882813 Kb");
    // Nothing else, such as a partial or temporary file, is left in the song folder.
    EXPECT_EQ(QDir(app_.Path() + "/songwren/背景音乐").entryList(QDir::Files | QDir::Hidden).size(),
              5);

    // A web page in a song's stead, as an archive answers a song it never captured, is no
    // song either.
    sim_.SetFault("songs.songwren.test/a/鸟鸣.mp3", "notarchived");
    EXPECT_EQ(Download(window).failed, 3);
    EXPECT_TRUE(app_.Read("songwren/背景音乐/鸟鸣.mp3") == Served("songwren", 0));
}

TEST_F(MusicTest, SongNamesFitAnyDiskAndNeverShareAFile) {
    const QString longStem(300, QChar('a'));
    const std::pair<QString, QString> songs[] = {
        {"http://h.test/a/same.mp3", "same.mp3"},
        {"http://h.test/b/same.mp3", "same(3).mp3"},  // same(2).mp3 is a real name below
        {"http://h.test/c/SAME.mp3", "SAME(4).mp3"},  // one file where case is not told apart
        {"http://h.test/d/same(2).mp3", "same(2).mp3"},
        {"http://h.test/.", "_(2)"},  // made up: the real "_" keeps its name
        {"http://h.test/_", "_"},
        {"http://h.test/", "_(3)"},
        {"http://h.test/..", "__"},
        {"http://h.test/CON", "_CON"},
        {"http://h.test/nul.mp3", "_nul.mp3"},
        {"http://h.test/com1.a.b", "_com1.a.b"},
        {"http://h.test/com10.mp3", "com10.mp3"},
        {"http://h.test/a?b*c.mp3", "a_b_c.mp3"},
        {"http://h.test/x:y\"<>|.mp3", "x_y____.mp3"},
        {"http://h.test/song. .", "song___"},
        {"http://h.test/tab\tname.mp3", "tab_name.mp3"},
        {"http://h.test/鸟 鸣.mp3", "鸟 鸣.mp3"},
        {"http://h.test/" + longStem + ".mp3", "a"},
        {"http://h.test/z/" + longStem + ".mp3", "b"},
    };
    QStringList addresses;
    for (const auto& song : songs) {
        addresses << song.first;
    }
    const QStringList names = SongFileNames(addresses);
    ASSERT_EQ(names.size(), addresses.size());
    for (qsizetype i = 0; i + 2 < names.size(); ++i) {
        EXPECT_EQ(names[i], songs[i].second) << addresses[i].toStdString();
    }
    // Long names are cut to what a file system takes, the numbered one keeping its number.
    const QString& cut = names[names.size() - 2];
    const QString& numbered = names.last();
    EXPECT_EQ(cut.toUtf8().size(), 255);
    EXPECT_TRUE(cut.endsWith("aaa.mp3"));
    EXPECT_EQ(numbered.toUtf8().size(), 255);
    EXPECT_TRUE(numbered.endsWith("a(2).mp3"));
    EXPECT_EQ(SongFileNames(addresses), names);
}

TEST_F(MusicTest, AnUnreadPlaylistIsToldApartFromASpaceWithoutSongs) {
    const QString archive =
        QStringLiteral("http://127.0.0.1:%1/web/20120101000000id_/").arg(sim_.Port());
    struct Case {
        const char* space;
        const char* fault;  // on the playlist
        QString prefix;
        QString status;
    };
    const Case cases[] = {
        // quietwren has no playlist: the service says "not found".
        {"quietwren", nullptr, {}, "共 0 歌曲"},
        {"jiaoliao", "status500", {}, "共 0 歌曲，其中 1 个页面读取失败"},
        {"jiaoliao", "refuse", {}, "共 0 歌曲，其中 1 个页面读取失败"},
        {"jiaoliao", nullptr, archive, "共 3 歌曲"},
        // Through an archive, a missing capture is no answer about the space.
        {"quietwren", nullptr, archive, "共 0 歌曲，其中 1 个页面读取失败"},
        {"jiaoliao", "notarchived", archive, "共 0 歌曲，其中 1 个页面读取失败"},
        // A closed space is sent to the service's error page, also in the archive.
        {"closedwren", nullptr, {}, "您的百度空间不存在！！"},
        {"closedwren", nullptr, archive, "您的百度空间不存在！！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.space) + " " + (c.fault ? c.fault : "") + " " +
                     c.prefix.toStdString());
        sim_.Server().ClearFaults();
        if (c.fault != nullptr) {
            sim_.SetFault(std::string("/") + c.space + "/music/music.pls", c.fault);
        }
        platform::SetReplayPrefix(c.prefix.toStdString());
        TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/") + c.space);
        const bool read = RunPlaylistRetrieval(window);
        platform::SetReplayPrefix({});
        EXPECT_EQ(window.songStatuses.last(), c.status);
        const bool missing = c.status.contains("不存在");
        EXPECT_EQ(read, !c.status.contains("失败") && !missing);
        EXPECT_EQ(window.downloadEnabled, !missing);
    }
}

TEST_F(MusicTest, ASongLargerThanAnyPageIsSavedWhole) {
    // Pages are capped at 64 MiB in memory; a song goes to disk as it comes.
    const std::string song(65u << 20, 's');
    sim_.Server().SetPage("/bigsong/music/music.pls",
                          "Version=<ref href=\"http://big.test/mix.mp3\" />");
    sim_.Server().SetPage("big.test/mix.mp3", song);
    TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/bigsong"));
    EXPECT_EQ(Download(window).failed, 0);
    EXPECT_EQ(QFileInfo(app_.Path() + "/bigsong/背景音乐/mix.mp3").size(),
              static_cast<qint64>(song.size()));
    EXPECT_EQ(window.progress.last(), "下载完成，文件大小：66560 Kb");
    // Beyond 21 MB the percentage still moves.
    EXPECT_TRUE(window.progress.filter("下载进度").size() >= 1);
    EXPECT_EQ(window.progress[window.progress.size() - 2], "下载进度100%，已下载：66560 Kb");
}

TEST_F(MusicTest, PlaylistWalkEndsOnAnyPlaylist) {
    const std::pair<const char*, QStringList> cases[] = {
        {"Version=<ref href=\"http://m.test/a.mp3\" /><ref href=\"http://m.test/a.mp3\" />"
         "<ref href=\"http://m.test/b.mp3\" />",
         {"1 http://m.test/a.mp3", "2 http://m.test/a.mp3", "3 http://m.test/b.mp3"}},
        {"Version=<ref href=\"http://m.test/a.mp3\" /><ref href=\"\" />",
         {"1 http://m.test/a.mp3", "2 "}},
        {"Version= and nothing else", {"1 "}},
        {"<ref href=\"http://m.test/a.mp3\" /> without the mark", {}},
        {"Version=<ref href=\"http://m.test/a.mp3", {"1 "}},
        // Each entry's title is its own: none for an entry without one, whatever follows.
        {"Version=<entry><title> A &amp; B </title><ref href=\"http://m.test/a.mp3\" /></entry>"
         "<entry><ref href=\"http://m.test/b.mp3\" /></entry><title>C</title>",
         {"1 http://m.test/a.mp3 A & B", "2 http://m.test/b.mp3"}},
    };
    for (const auto& [playlist, rows] : cases) {
        SCOPED_TRACE(playlist);
        sim_.Server().SetPage("/quietwren/music/music.pls", playlist);
        TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/quietwren"));
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

// A space without songs has nothing to keep: its download makes no folder, and no record or
// reading copy that would pass for a backup.
TEST_F(MusicTest, ADownloadOfNoSongWritesNothing) {
    TestMusicWindow window(app_.Path(), QStringLiteral("http://hi.baidu.com/quietwren"));
    EXPECT_EQ(Download(window).songs, 0);
    EXPECT_EQ(window.songStatuses.last(), "共 0 歌曲，已下载完毕");
    EXPECT_FALSE(QFileInfo::exists(app_.Path() + "/quietwren"));
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

TEST_F(MusicTest, CliExitsOneWhenASongOrThePlaylistFailsAndResumesUnderTheSameNames) {
    const QStringList songwren = {"--app-dir", app_.Path(), "--pace",
                                  "0",         "music",     "http://hi.baidu.com/songwren",
                                  "--download"};
    // gone.mp3 is missing: everything else is saved, but the run failed.
    CliResult result = RunCli(songwren);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.out.find("共 5 歌曲，已下载完毕，其中 1 首下载失败"), std::string::npos);
    // The list names the song the count means.
    EXPECT_NE(result.out.find("gone.mp3 | 下载失败\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("slow.mp3 | 下载失败"), std::string::npos) << result.out;
    // A resumed run recognises every saved song, same(2).mp3 too, and asks only for the rest.
    sim_.ClearRequests();
    result = RunCli(QStringList(songwren) << "--skip-saved");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("已跳过 4 首"), std::string::npos) << result.out;
    EXPECT_EQ(sim_.Requests(), (std::vector<std::string>{"hi.baidu.com/songwren/music/music.pls",
                                                         "songs.songwren.test/gone.mp3"}));
    // A playlist that could not be read is a failure too, not a space without songs.
    sim_.SetFault("/jiaoliao/music/music.pls", "status500");
    result =
        RunCli({"--app-dir", app_.Path(), "--pace", "0", "music", "http://hi.baidu.com/jiaoliao"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("共 0 歌曲，其中 1 个页面读取失败"), std::string::npos);
}

}  // namespace
