// The simulator as a web archive replays it: captures, redirects, missing captures, a busy
// service, and what the request log makes of them.
#include "SimClient.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

const std::string kBlog = "http://hi.baidu.com/jiaoliao/blog";
const std::string kSong = "http://music.pagewren.test/songs/2.mp3";
const std::string kArticle = "http://hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html";

class ArchiveFaceTest : public SampleSpacesTest {
protected:
    // The address asked of the archive face, straight or, with `proxied`, through it as a proxy.
    Fetched Archived(const std::string& flaggedTime, const std::string& address,
                     bool proxied = false) {
        const std::string url = Origin(port_) + "/web/" + flaggedTime + "/" + address;
        return Fetch(url, proxied ? Origin(port_) : std::string());
    }
};

TEST_F(ArchiveFaceTest, OriginalBytesAreTheProxyFaceBytesAndOnlyPagesGetTheBanner) {
    for (const std::string& address : {kBlog, kSong, kBlog + "/category/life"}) {
        const Fetched proxied = Fetch(address, Origin(port_));
        for (const bool viaProxy : {false, true}) {
            const Fetched original =
                Archived(std::string(spacesim::kDefaultCaptureTime) + "id_", address, viaProxy);
            EXPECT_EQ(original.status, 200) << address;
            EXPECT_EQ(original.contentType, proxied.contentType) << address;
            EXPECT_EQ(original.body, proxied.body) << address;
        }
    }
    EXPECT_EQ(Archived("20120101000000", kSong).body, Fetch(kSong, Origin(port_)).body);

    const std::string page = Archived("20120101000000", kBlog).body;
    const std::string original = Fetch(kBlog, Origin(port_)).body;
    const std::string banner = Cut(page, "<body>", "</div>") + "</div>";
    EXPECT_TRUE(banner.starts_with("<div id=\"wm-ipp\">")) << banner;
    EXPECT_NE(banner.find("href=\"/web/"), std::string::npos);
    std::string withoutBanner = page;
    withoutBanner.erase(Position(page, banner) - 1, banner.size());
    EXPECT_EQ(withoutBanner, original);
}

TEST_F(ArchiveFaceTest, OtherTimesRedirectToTheCaptureKeepingTheFlagAndQuery) {
    const std::string search = "http://hi.baidu.com/sys/search?pageno=0&hi=jiaoliao";
    const Fetched moved = Archived("2012id_", search);
    EXPECT_EQ(moved.status, 302);
    const std::string location = Header(moved, "Location");
    EXPECT_EQ(location, "/web/20120101000000id_/" + search);
    EXPECT_EQ(Fetch(Origin(port_) + location).body, Fetch(search, Origin(port_)).body);
    EXPECT_EQ(Header(Archived("19990101000000", kBlog, true), "Location"),
              "/web/20120101000000/" + kBlog);

    ASSERT_TRUE(server_.SetCaptureTime("20080518091200"));
    EXPECT_FALSE(server_.SetCaptureTime("2008"));
    EXPECT_EQ(Archived("20120101000000id_", kBlog).status, 302);
    EXPECT_EQ(Archived("20080518091200id_", kBlog).status, 200);
}

TEST_F(ArchiveFaceTest, MissingCapturesFaultsAndSetPagesFollowTheOriginalAddress) {
    for (const std::string& address :
         {std::string("http://hi.baidu.com/nobody/blog"),
          std::string("http://img.pagewren.test/1.jpg"), kBlog + "/item/0000000000000000.html"}) {
        // A missing capture is missing at every time: no redirect first.
        const Fetched missing = Archived("2012id_", address);
        EXPECT_EQ(missing.status, 404) << address;
        EXPECT_EQ(missing.contentType, "text/html; charset=utf-8");
        EXPECT_NE(missing.body.find("Wayback Machine doesn't have that page archived"),
                  std::string::npos);
    }
    server_.SetFault("/jiaoliao/profile", spacesim::Fault::Status404);
    server_.SetFault("music.pagewren.test/songs/2.mp3", spacesim::Fault::Refuse);
    server_.SetPage("/jiaoliao/blog/item/0000000000000000.html", "<html><body>新</body></html>");
    EXPECT_EQ(Archived("20120101000000id_", "http://hi.baidu.com/jiaoliao/profile").status, 404);
    EXPECT_EQ(Archived("20120101000000id_", kSong).code, CURLE_GOT_NOTHING);
    EXPECT_EQ(Utf8(Archived("20120101000000id_", kBlog + "/item/0000000000000000.html").body),
              "<html><body>新</body></html>");
}

TEST_F(ArchiveFaceTest, BusyPathAnswers429ThenServesOnEveryFace) {
    server_.SetBusy("/jiaoliao/blog", 2, 7);
    for (int i = 0; i < 2; ++i) {
        const Fetched busy = Archived("20120101000000id_", kBlog);
        EXPECT_EQ(busy.status, 429);
        EXPECT_EQ(Header(busy, "Retry-After"), "7");
    }
    EXPECT_EQ(Archived("20120101000000id_", kBlog).status, 200);

    EXPECT_EQ(Fetch(Origin(port_) + "/__sim/busy?path=%2Fjiaoliao%2Fblog&times=1&after=0").status,
              200);
    const Fetched proxied = Fetch(kBlog, Origin(port_));
    EXPECT_EQ(proxied.status, 429);
    EXPECT_EQ(Header(proxied, "Retry-After"), "0");
    EXPECT_EQ(Fetch(kBlog, Origin(port_)).status, 200);

    EXPECT_EQ(Fetch(Origin(port_) + "/__sim/busy?path=%2Fjiaoliao%2Fblog&times=x").status, 400);
    Fetch(Origin(port_) + "/__sim/busy?path=%2Fjiaoliao%2Fblog&times=5");
    Fetch(Origin(port_) + "/__sim/reset");
    EXPECT_EQ(Fetch(kBlog, Origin(port_)).status, 200);
}

TEST_F(ArchiveFaceTest, LogKeepsTheOriginalLineAndMarksRedirectsByTheirTime) {
    Fetch(kArticle, Origin(port_));
    Archived("20120101000000id_", kArticle);
    Archived("2012", kArticle + "?x=1", true);
    Archived("20120101000000", kArticle + "?x=1");
    Archived("2012id_", "http://hi.baidu.com/nobody/blog");
    const std::string line = "hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html";
    EXPECT_EQ(server_.Requests(), (Log{line, line, "/web/2012/http://" + line + "?x=1",
                                       line + "?x=1", "hi.baidu.com/nobody/blog"}));
}

}  // namespace
