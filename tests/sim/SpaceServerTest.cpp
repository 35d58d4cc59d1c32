// What the product's tests assume of the simulator without seeing it: how each fault mode looks
// to a client, that Stop cuts a stalled answer, and the control addresses scripts use.
#include "SimClient.h"

#include <gtest/gtest.h>
#include <chrono>
#include <future>
#include <thread>

namespace {

using spacesim::Fault;
using Clock = std::chrono::steady_clock;
using Log = std::vector<std::string>;

const std::string kBlog = "http://hi.baidu.com/jiaoliao/blog";

class FaultTest : public SampleSpacesTest {
protected:
    // The blog page with a fault on it, asked for through the proxy as the program asks.
    Fetched BlogWith(Fault fault, long timeoutMs = 10000) {
        server_.SetFault("/jiaoliao/blog", fault);
        return Fetch(kBlog, Origin(port_), timeoutMs);
    }
};

TEST_F(FaultTest, EachModeMisbehavesAsClientsAreToldItWill) {
    const std::string healthy = Fetch(kBlog, Origin(port_)).body;

    // Error statuses still carry a page of text, without the sections a client cuts.
    for (const auto& [fault, status] :
         {std::pair{Fault::Status404, 404L}, {Fault::Status500, 500L}}) {
        const Fetched error = BlogWith(fault);
        EXPECT_EQ(error.code, CURLE_OK);
        EXPECT_EQ(error.status, status);
        EXPECT_EQ(error.contentType, "text/html; charset=gb2312");
        EXPECT_FALSE(Utf8(error.body).empty());
        EXPECT_EQ(Utf8(error.body).find("文章分类"), std::string::npos);
    }

    const Fetched refused = BlogWith(Fault::Refuse);
    EXPECT_EQ(refused.code, CURLE_GOT_NOTHING);
    EXPECT_TRUE(refused.body.empty());

    const Fetched reset = BlogWith(Fault::Reset);
    EXPECT_NE(reset.code, CURLE_OK);
    EXPECT_LT(reset.body.size(), healthy.size());

    const Fetched cut = BlogWith(Fault::Truncate);
    EXPECT_EQ(cut.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(cut.body, healthy);
    EXPECT_GT(cut.contentLength, static_cast<double>(healthy.size()));

    const auto start = Clock::now();
    const Fetched slow = BlogWith(Fault::Slow);
    EXPECT_EQ(slow.code, CURLE_OK);
    EXPECT_EQ(slow.body, healthy);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1500));

    const Fetched stalled = BlogWith(Fault::Stall, 500);
    EXPECT_EQ(stalled.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_FALSE(stalled.body.empty());
    EXPECT_LT(stalled.body.size(), healthy.size());
}

TEST_F(FaultTest, StopEndsAStalledAnswerAtOnce) {
    server_.SetFault("/jiaoliao/blog", Fault::Stall);
    auto client =
        std::async(std::launch::async, [this] { return Fetch(kBlog, Origin(port_), 60000); });
    while (server_.Requests().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto start = Clock::now();
    server_.Stop();
    // Far below the 120 s a stall lasts; what matters is that Stop does not wait it out.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(client.get().code, CURLE_OK);
}

TEST_F(SampleSpacesTest, ControlAddressesSetFaultsAndBusyPathsUnloggedAndResetThem) {
    const std::string control = Origin(port_) + "/__sim/";
    EXPECT_EQ(Fetch(control + "fault?path=%2Fjiaoliao%2Fprofile&mode=status500").status, 200);
    EXPECT_EQ(Fetch(control + "fault?path=/jiaoliao/blog&mode=sideways").status, 400);
    EXPECT_EQ(Fetch(control + "busy?path=%2Fjiaoliao%2Fblog&times=1&after=0").status, 200);
    EXPECT_EQ(Fetch(control + "busy?path=%2Fjiaoliao%2Fblog&times=x").status, 400);
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/profile").status, 500);
    const Fetched busy = Fetch(kBlog, Origin(port_));
    EXPECT_EQ(busy.status, 429);
    EXPECT_EQ(Header(busy, "Retry-After"), "0");
    EXPECT_EQ(Fetch(kBlog, Origin(port_)).status, 200);
    EXPECT_EQ(Fetch(control + "requests").body,
              "hi.baidu.com/jiaoliao/profile\nhi.baidu.com/jiaoliao/blog\n"
              "hi.baidu.com/jiaoliao/blog\n");

    Fetch(control + "busy?path=%2Fjiaoliao%2Fblog&times=5");
    Fetch(control + "reset");
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/profile").status, 200);
    EXPECT_EQ(Fetch(kBlog, Origin(port_)).status, 200);
    EXPECT_EQ(server_.Requests(),
              (Log{"hi.baidu.com/jiaoliao/profile", "hi.baidu.com/jiaoliao/blog"}));
}

}  // namespace
