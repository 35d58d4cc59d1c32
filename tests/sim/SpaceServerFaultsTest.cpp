// Each fault mode as a client meets it.
#include "SimClient.h"

#include <gtest/gtest.h>
#include <chrono>
#include <future>
#include <thread>

namespace {

using spacesim::Fault;
using Clock = std::chrono::steady_clock;

class FaultTest : public SampleSpacesTest {
protected:
    // The blog page with a fault on it, asked for through the proxy as the program asks.
    Fetched BlogWith(Fault fault, long timeoutMs = 10000) {
        server_.SetFault("/jiaoliao/blog", fault);
        return Fetch("http://hi.baidu.com/jiaoliao/blog", Origin(port_), timeoutMs);
    }

    void SetUp() override {
        SampleSpacesTest::SetUp();
        healthy_ = Fetch(Origin(port_) + "/jiaoliao/blog").body;
        server_.ClearRequests();
    }

    std::string healthy_;
};

TEST_F(FaultTest, ErrorStatusesStillCarryAPageOfText) {
    const Fetched missing = BlogWith(Fault::Status404);
    EXPECT_EQ(missing.code, CURLE_OK);
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.contentType, "text/html; charset=gb2312");
    EXPECT_NE(Utf8(missing.body).find("页面不存在"), std::string::npos);

    const Fetched broken = BlogWith(Fault::Status500);
    EXPECT_EQ(broken.status, 500);
    EXPECT_NE(Utf8(broken.body).find("服务器内部错误"), std::string::npos);
    EXPECT_EQ(Position(Utf8(broken.body), "文章分类"), 0u);
}

TEST_F(FaultTest, RefuseSendsNothingAtAll) {
    const Fetched refused = BlogWith(Fault::Refuse);
    EXPECT_EQ(refused.code, CURLE_GOT_NOTHING);
    EXPECT_TRUE(refused.body.empty());
}

TEST_F(FaultTest, ResetCutsTheBodyWithAnError) {
    const Fetched reset = BlogWith(Fault::Reset);
    EXPECT_NE(reset.code, CURLE_OK);
    EXPECT_LT(reset.body.size(), healthy_.size());
}

TEST_F(FaultTest, TruncatePromisesMoreThanItSends) {
    const Fetched cut = BlogWith(Fault::Truncate);
    EXPECT_EQ(cut.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(cut.body, healthy_);
    EXPECT_GT(cut.contentLength, static_cast<double>(healthy_.size()));
}

TEST_F(FaultTest, SlowStillDeliversTheWholePageLate) {
    const auto start = Clock::now();
    const Fetched slow = BlogWith(Fault::Slow);
    EXPECT_EQ(slow.code, CURLE_OK);
    EXPECT_EQ(slow.body, healthy_);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(FaultTest, StallSendsPartOfThePageThenNothing) {
    const Fetched stalled = BlogWith(Fault::Stall, 500);
    EXPECT_EQ(stalled.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_FALSE(stalled.body.empty());
    EXPECT_LT(stalled.body.size(), healthy_.size());
}

TEST_F(FaultTest, StopEndsAStalledAnswerAtOnce) {
    server_.SetFault("/jiaoliao/blog", Fault::Stall);
    auto client = std::async(std::launch::async, [this] {
        return Fetch("http://hi.baidu.com/jiaoliao/blog", Origin(port_), 60000);
    });
    while (server_.Requests().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto start = Clock::now();
    server_.Stop();
    // Far below the 120 s a stall lasts; what matters is that Stop does not wait it out.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(client.get().code, CURLE_OK);
}

TEST_F(FaultTest, FaultStaysOnItsPathAndCanBeCleared) {
    server_.SetFault("/jiaoliao/blog", Fault::Refuse);
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/profile").code, CURLE_OK);
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/blog").code, CURLE_GOT_NOTHING);
    server_.ClearFault("/jiaoliao/blog");
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/blog").body, healthy_);
    server_.SetFault("/jiaoliao/blog", Fault::Refuse);
    server_.ClearFaults();
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/blog").code, CURLE_OK);
}

}  // namespace
