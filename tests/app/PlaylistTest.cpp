#include <gtest/gtest.h>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"

namespace {

// lullwren's playlist: a song, an entry without an address, another song.
TEST(PlaylistTest, AnEntryWithoutAnAddressDoesNotEndTheList) {
    SimFixture sim;
    TempFolder app;
    const QStringList common{"--app-dir", app.Path(), "--pace", "0", "--json"};
    const auto survey =
        JsonLines(RunCli(common + QStringList{"survey", "http://hi.baidu.com/lullwren"}).out);
    EXPECT_EQ(FinalLabels(survey).at("lblmusic"), "您的百度空间共有 3 首背景音乐");
    const auto music =
        JsonLines(RunCli(common + QStringList{"music", "http://hi.baidu.com/lullwren"}).out);
    const auto rows = ListRows(music, "LVmusic");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], nlohmann::json::array({"2", ""}));
    EXPECT_EQ(rows[2], nlohmann::json::array({"3", "http://songs.lullwren.test/c.mp3"}));
    EXPECT_EQ(FinalLabels(music).at("Label2"), "共 3 歌曲");
}

}  // namespace
