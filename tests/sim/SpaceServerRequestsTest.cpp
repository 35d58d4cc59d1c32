// How requests reach the simulator: directly, through it as a proxy, to song hosts, and what
// the request log and the control addresses make of them.
#include "SimClient.h"

#include "sim/Cp936.h"
#include "sim/SpaceGenerator.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {

using Log = std::vector<std::string>;

TEST_F(SampleSpacesTest, ProxyAndDirectRequestsGetTheSamePage) {
    const Fetched direct = Fetch(Origin(port_) + "/jiaoliao/blog");
    const Fetched proxied = Fetch("http://hi.baidu.com/jiaoliao/blog", Origin(port_));
    EXPECT_EQ(proxied.code, CURLE_OK);
    EXPECT_EQ(proxied.status, 200);
    EXPECT_EQ(proxied.contentType, "text/html; charset=gb2312");
    EXPECT_EQ(proxied.body, direct.body);
    EXPECT_EQ(server_.Requests(),
              (Log{"hi.baidu.com/jiaoliao/blog", "hi.baidu.com/jiaoliao/blog"}));
}

TEST_F(SampleSpacesTest, PagesGoOutInCodePage936) {
    const std::string body = Fetch(Origin(port_) + "/jiaoliao/blog").body;
    EXPECT_NE(body.find(spacesim::ToCp936("文章分类")), std::string::npos);
    EXPECT_EQ(body.find("文章分类"), std::string::npos) << "UTF-8 bytes on the page";
}

TEST_F(SampleSpacesTest, LeadingDoubleSlashIsTheSamePath) {
    const Fetched doubled =
        Fetch("http://hi.baidu.com//jiaoliao/blog/category/life", Origin(port_));
    EXPECT_EQ(doubled.status, 200);
    EXPECT_EQ(doubled.body, Fetch(Origin(port_) + "/jiaoliao/blog/category/life").body);
    EXPECT_EQ(server_.Requests().front(), "hi.baidu.com/jiaoliao/blog/category/life");
}

std::string PercentEncoded(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        char piece[4];
        std::snprintf(piece, sizeof piece, "%%%02X", c);
        out += piece;
    }
    return out;
}

TEST(SpaceServerNames, PercentEncodedCodePage936NameFindsTheSpace) {
    spacesim::SpaceStore store;
    store.Add(spacesim::GenerateSpace("鹪鹩", 3));
    spacesim::SpaceServer server(std::move(store));
    const int port = server.Start(0);
    ASSERT_GT(port, 0);
    const std::string name = PercentEncoded(spacesim::ToCp936("鹪鹩"));
    const Fetched blog = Fetch("http://hi.baidu.com/" + name + "/blog", Origin(port));
    EXPECT_EQ(blog.status, 200);
    EXPECT_NE(Utf8(blog.body).find("文章分类"), std::string::npos);
    EXPECT_EQ(server.Requests(), Log{"hi.baidu.com/鹪鹩/blog"});
}

TEST_F(SampleSpacesTest, SongHostServesSongBytes) {
    const Fetched song = Fetch("http://music.pagewren.test/songs/2.mp3", Origin(port_));
    EXPECT_EQ(song.code, CURLE_OK);
    EXPECT_EQ(song.status, 200);
    EXPECT_EQ(song.contentType, "audio/mpeg");
    EXPECT_EQ(song.body.size(), 153600u);
    EXPECT_EQ(song.contentLength, 153600);
    EXPECT_EQ(song.body.substr(0, 3), "ID3");
    EXPECT_EQ(Fetch("http://music.pagewren.test/songs/2.mp3", Origin(port_)).body, song.body);
    EXPECT_NE(Fetch("http://music.pagewren.test/songs/1.mp3", Origin(port_)).body, song.body);
}

TEST_F(SampleSpacesTest, UnknownSongAndUnknownHostAreErrors) {
    EXPECT_EQ(Fetch("http://music.pagewren.test/songs/9.mp3", Origin(port_)).status, 404);
    const Fetched elsewhere = Fetch("http://img.pagewren.test/1.jpg", Origin(port_));
    EXPECT_EQ(elsewhere.status, 502);
    EXPECT_FALSE(elsewhere.body.empty());
}

TEST_F(SampleSpacesTest, LogKeepsOrderAndQueryAndCanBeCleared) {
    Fetch(Origin(port_) + "/jiaoliao/profile");
    Fetch("http://hi.baidu.com/sys/search?pageno=0&hi=jiaoliao", Origin(port_));
    Fetch("http://music.pagewren.test/songs/1.mp3", Origin(port_));
    EXPECT_EQ(server_.Requests(),
              (Log{"hi.baidu.com/jiaoliao/profile", "hi.baidu.com/sys/search?pageno=0&hi=jiaoliao",
                   "music.pagewren.test/songs/1.mp3"}));
    server_.ClearRequests();
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(SampleSpacesTest, ControlAddressesSetAndResetFaultsUnlogged) {
    const Fetched set =
        Fetch(Origin(port_) + "/__sim/fault?path=%2Fjiaoliao%2Fprofile&mode=status500");
    EXPECT_EQ(set.status, 200);
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/profile").status, 500);
    EXPECT_EQ(Fetch(Origin(port_) + "/__sim/fault?path=/jiaoliao/blog&mode=sideways").status, 400);
    EXPECT_EQ(Fetch(Origin(port_) + "/__sim/requests").body, "hi.baidu.com/jiaoliao/profile\n");
    Fetch(Origin(port_) + "/__sim/reset");
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/profile").status, 200);
    EXPECT_EQ(server_.Requests(), Log{"hi.baidu.com/jiaoliao/profile"});
}

TEST_F(SampleSpacesTest, FaultKeyWithQueryOrHostNarrowsIt) {
    const std::string page1 =
        "/sys/search?pageno=1&type=9&sort=1&word=&entry=2&region=3&hi=jiaoliao&date=";
    server_.SetFault(page1, spacesim::Fault::Status404);
    server_.SetFault("music.pagewren.test/songs/1.mp3", spacesim::Fault::Status500);
    EXPECT_EQ(Fetch("http://hi.baidu.com" + page1, Origin(port_)).status, 404);
    EXPECT_EQ(Fetch(Origin(port_) + "/sys/search?pageno=0&hi=jiaoliao").status, 200);
    EXPECT_EQ(Fetch("http://music.pagewren.test/songs/1.mp3", Origin(port_)).status, 500);
    EXPECT_EQ(Fetch("http://music.pagewren.test/songs/2.mp3", Origin(port_)).status, 200);
}

}  // namespace
