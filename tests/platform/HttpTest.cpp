// What only a raw server shows of HttpGet; pages, faults, proxies and redirects of the
// simulated service are met by the end-to-end tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "LocalHttpServer.h"
#include "platform/Http.h"

namespace {

std::string Response(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

class HttpGetTest : public ::testing::Test {
protected:
    // Keeps a proxy on the machine running the suite away from the local server.
    HttpGetTest() {
        if (const char* value = std::getenv("no_proxy")) {
            saved_ = value;
        }
        setenv("no_proxy", "*", 1);
    }
    ~HttpGetTest() override {
        saved_ ? setenv("no_proxy", saved_->c_str(), 1) : unsetenv("no_proxy");
    }

private:
    std::optional<std::string> saved_;
};

TEST_F(HttpGetTest, ReturnsTheRawBodyWhateverTheStatus) {
    // Code page 936 bytes and a zero byte come back untouched: decoding is not done here.
    const std::pair<std::string, std::string> answers[] = {
        {"200 OK", std::string("<html>\xBF\xD5\xBC\xE4\0tail", 15)},
        {"404 Not Found", "no such space"},
        {"200 OK", ""},
    };
    for (const auto& [status, body] : answers) {
        LocalHttpServer server([&](const std::string&) { return Response(status, body); });
        EXPECT_EQ(platform::HttpGet(server.Address("/space/blog")), body) << status;
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(server.Requests()[0].rfind("GET /space/blog HTTP/1.1\r\n", 0), 0u);
    }
}

TEST_F(HttpGetTest, FollowsRedirectsButGivesUpOnALoop) {
    LocalHttpServer server([](const std::string& request) {
        const std::string to = request.rfind("GET /old ", 0) == 0 ? "/new" : "/again";
        return request.rfind("GET /new ", 0) == 0
                   ? Response("200 OK", "moved here")
                   : "HTTP/1.1 302 Found\r\nLocation: " + to + "\r\nContent-Length: 0\r\n\r\n";
    });
    EXPECT_EQ(platform::HttpGet(server.Address("/old")), "moved here");
    EXPECT_FALSE(platform::HttpGet(server.Address("/again")).has_value());
    EXPECT_LE(server.Requests().size(), 2u + 11u);
}

TEST_F(HttpGetTest, FailsOnAnAddressItCannotRequest) {
    EXPECT_FALSE(platform::HttpGet("").has_value());
    EXPECT_FALSE(platform::HttpGet("not an address").has_value());
    // A page must not be able to point the program at local files.
    EXPECT_FALSE(platform::HttpGet("file:///etc/hostname").has_value());
}

TEST_F(HttpGetTest, AnEndlessBodyFailsInsteadOfFillingMemory) {
    const std::string body(65u << 20, 'x');
    LocalHttpServer server([&](const std::string&) { return Response("200 OK", body); });
    EXPECT_FALSE(platform::HttpGet(server.Address("/space/blog")).has_value());
}

// Takes half a minute, so it runs only when asked for with PAGEWREN_SLOW_TESTS=1.
TEST_F(HttpGetTest, GivesUpOnAServerThatStalls) {
    if (std::getenv("PAGEWREN_SLOW_TESTS") == nullptr) {
        GTEST_SKIP() << "set PAGEWREN_SLOW_TESTS=1 to wait out the 30 s stall limit";
    }
    const auto start = std::chrono::steady_clock::now();
    std::optional<std::string> page;
    {
        LocalHttpServer server([&](const std::string&) {
            while (server.Running() &&
                   std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            return Response("200 OK", "too late");
        });
        page = platform::HttpGet(server.Address("/slow"));
    }
    EXPECT_FALSE(page.has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(45));
}

}  // namespace
