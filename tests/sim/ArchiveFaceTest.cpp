// The simulator as a web archive replays it: the banner, redirects, missing captures and a
// busy service, which the product's archive tests meet only through a whole backup.
#include "SimClient.h"

#include <gtest/gtest.h>

namespace {

const std::string kBlog = "http://hi.baidu.com/jiaoliao/blog";

class ArchiveFaceTest : public SampleSpacesTest {
protected:
    // The address asked of the archive face, straight or, with `proxied`, through it as a proxy.
    Fetched Archived(const std::string& flaggedTime, const std::string& address,
                     bool proxied = false) {
        const std::string url = Origin(port_) + "/web/" + flaggedTime + "/" + address;
        return Fetch(url, proxied ? Origin(port_) : std::string());
    }
};

TEST_F(ArchiveFaceTest, BannerIsAddedToPagesWithoutTheOriginalFlag) {
    const std::string page = Archived("20120101000000", kBlog).body;
    const std::string original = Fetch(kBlog, Origin(port_)).body;
    const std::size_t from = page.find("<body>") + 6;
    const std::string banner = page.substr(from, page.find("</div>", from) + 6 - from);
    EXPECT_TRUE(banner.starts_with("<div id=\"wm-ipp\">")) << banner;
    EXPECT_NE(banner.find("href=\"/web/"), std::string::npos);
    EXPECT_EQ(std::string(page).erase(from, banner.size()), original);
    EXPECT_EQ(Archived("20120101000000id_", kBlog, true).body, original);
}

TEST_F(ArchiveFaceTest, OtherTimesRedirectToTheCaptureKeepingTheFlagAndQuery) {
    const std::string search = "http://hi.baidu.com/sys/search?pageno=0&hi=jiaoliao";
    const Fetched moved = Archived("2012id_", search);
    EXPECT_EQ(moved.status, 302);
    EXPECT_EQ(Header(moved, "Location"), "/web/20120101000000id_/" + search);
    EXPECT_EQ(Header(Archived("19990101000000", kBlog, true), "Location"),
              "/web/20120101000000/" + kBlog);
}

TEST_F(ArchiveFaceTest, MissingCapturesAre404AtEveryTimeAndFaultsFollowTheAddress) {
    for (const std::string& address : {std::string("http://hi.baidu.com/nobody/blog"),
                                       std::string("http://img.pagewren.test/none.jpg"),
                                       kBlog + "/item/0000000000000000.html"}) {
        // A missing capture is missing at every time: no redirect first.
        const Fetched missing = Archived("2012id_", address);
        EXPECT_EQ(missing.status, 404) << address;
        EXPECT_EQ(missing.contentType, "text/html; charset=utf-8");
        EXPECT_NE(missing.body.find("Wayback Machine doesn't have that page archived"),
                  std::string::npos);
    }
    server_.SetFault("/jiaoliao/profile", spacesim::Fault::Status404);
    EXPECT_EQ(Archived("20120101000000id_", "http://hi.baidu.com/jiaoliao/profile").status, 404);
}

TEST_F(ArchiveFaceTest, BusyPathAnswers429WithItsWaitThenServes) {
    server_.SetBusy("/jiaoliao/blog", 2, 7);
    for (int i = 0; i < 2; ++i) {
        const Fetched busy = Archived("20120101000000id_", kBlog);
        EXPECT_EQ(busy.status, 429);
        EXPECT_EQ(Header(busy, "Retry-After"), "7");
    }
    EXPECT_EQ(Archived("20120101000000id_", kBlog).status, 200);
}

}  // namespace
