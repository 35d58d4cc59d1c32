// What the end-to-end tests do not show of HttpGet: raw bytes whatever the status, and the
// limits that keep a hostile server or page from hanging the program or filling its memory.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "SimFixture.h"
#include "platform/Http.h"

namespace {

using platform::HttpGet;

TEST(HttpGet, ReturnsTheRawBodyWhateverTheStatus) {
    SimFixture sim;
    // Code page 936 bytes and a zero byte come back untouched: decoding is not done here.
    sim.Server().SetPage("/odd/blog", std::string("<html>空间\0tail", 17));
    EXPECT_EQ(HttpGet("http://hi.baidu.com/odd/blog"),
              std::string("<html>\xBF\xD5\xBC\xE4\0tail", 15));
    sim.Server().SetPage("/odd/empty", "");
    EXPECT_EQ(HttpGet("http://hi.baidu.com/odd/empty"), "");
    sim.SetFault("/jiaoliao/profile", "status404");
    const auto error = HttpGet("http://hi.baidu.com/jiaoliao/profile");
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->empty());
}

TEST(HttpGet, FailsOnAnAddressItCannotRequest) {
    EXPECT_FALSE(HttpGet("").has_value());
    EXPECT_FALSE(HttpGet("not an address").has_value());
    // A page must not be able to point the program at local files.
    EXPECT_FALSE(HttpGet("file:///etc/hostname").has_value());
}

TEST(HttpGet, AnEndlessBodyFailsInsteadOfFillingMemory) {
    SimFixture sim;
    sim.Server().SetPage("/odd/blog", std::string(65u << 20, 'x'));
    EXPECT_FALSE(HttpGet("http://hi.baidu.com/odd/blog").has_value());
}

// Takes a quarter of a minute, so it runs only when asked for with PAGEWREN_SLOW_TESTS=1.
TEST(HttpGet, GivesUpOnAServerThatStalls) {
    if (std::getenv("PAGEWREN_SLOW_TESTS") == nullptr) {
        GTEST_SKIP() << "set PAGEWREN_SLOW_TESTS=1 to wait out the stall limit";
    }
    SimFixture sim;
    sim.SetFault("/jiaoliao/blog", "stall");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpGet("http://hi.baidu.com/jiaoliao/blog").has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(45));
}

}  // namespace
