#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "LocalHttpServer.h"
#include "platform/Http.h"

namespace {

// Clears every proxy setting for the test's lifetime and puts the caller's back afterwards,
// so a proxy on the machine running the suite cannot change what reaches the local server.
class ProxyEnvironment {
public:
    ProxyEnvironment() {
        for (const char* name : kNames) {
            if (const char* value = std::getenv(name)) {
                saved_[name] = value;
            }
            unsetenv(name);
        }
    }
    ~ProxyEnvironment() {
        for (const char* name : kNames) {
            unsetenv(name);
        }
        for (const auto& [name, value] : saved_) {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }

private:
    static constexpr const char* kNames[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                             "HTTPS_PROXY", "all_proxy",  "ALL_PROXY",
                                             "no_proxy",    "NO_PROXY"};
    std::map<std::string, std::string> saved_;
};

std::string Response(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

class HttpGetTest : public ::testing::Test {
protected:
    ProxyEnvironment proxies_;
};

TEST_F(HttpGetTest, ReturnsTheRawBodyBytes) {
    // Code page 936 bytes and a zero byte must come back untouched: decoding is not done here.
    const std::string body("<html>\xBF\xD5\xBC\xE4\0tail", 15);
    LocalHttpServer server([&](const std::string&) { return Response("200 OK", body); });
    const auto page = platform::HttpGet(server.Address("/space/blog"));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(*page, body);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].rfind("GET /space/blog HTTP/1.1\r\n", 0), 0u);
}

TEST_F(HttpGetTest, ReturnsTheBodyOfAnErrorPage) {
    LocalHttpServer server(
        [](const std::string&) { return Response("404 Not Found", "no such space"); });
    EXPECT_EQ(platform::HttpGet(server.Address("/gone")), "no such space");
}

TEST_F(HttpGetTest, AnEmptyBodyIsAnEmptyPageNotAFailure) {
    LocalHttpServer server([](const std::string&) { return Response("200 OK", ""); });
    EXPECT_EQ(platform::HttpGet(server.Address("/")), "");
}

TEST_F(HttpGetTest, FollowsRedirects) {
    LocalHttpServer server([](const std::string& request) {
        if (request.rfind("GET /old ", 0) == 0) {
            return std::string("HTTP/1.1 302 Found\r\nLocation: /new\r\nContent-Length: 0\r\n\r\n");
        }
        return Response("200 OK", "moved here");
    });
    EXPECT_EQ(platform::HttpGet(server.Address("/old")), "moved here");
}

TEST_F(HttpGetTest, GivesUpOnARedirectLoop) {
    LocalHttpServer server([](const std::string&) {
        return std::string("HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n");
    });
    EXPECT_FALSE(platform::HttpGet(server.Address("/again")).has_value());
    EXPECT_LE(server.Requests().size(), 11u);
}

TEST_F(HttpGetTest, FailsWhenTheConnectionIsRefused) {
    const std::string address = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/blog";
    EXPECT_FALSE(platform::HttpGet(address).has_value());
}

TEST_F(HttpGetTest, FailsWhenTheBodyIsCutShort) {
    LocalHttpServer server([](const std::string&) {
        return std::string("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part");
    });
    EXPECT_FALSE(platform::HttpGet(server.Address("/item/1.html")).has_value());
}

TEST_F(HttpGetTest, FailsOnAnAddressItCannotRequest) {
    EXPECT_FALSE(platform::HttpGet("").has_value());
    EXPECT_FALSE(platform::HttpGet("not an address").has_value());
    // A page must not be able to point the program at local files.
    EXPECT_FALSE(platform::HttpGet("file:///etc/hostname").has_value());
}

TEST_F(HttpGetTest, GoesThroughTheProxyTheEnvironmentNames) {
    LocalHttpServer proxy([](const std::string&) { return Response("200 OK", "via proxy"); });
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.Port())).c_str(), 1);
    EXPECT_EQ(platform::HttpGet("http://space.pagewren.invalid/someone/blog"), "via proxy");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].rfind("GET http://space.pagewren.invalid/someone/blog ", 0), 0u);
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

TEST_F(HttpGetTest, AnEndlessBodyFailsInsteadOfFillingMemory) {
    const std::string body(65u << 20, 'x');
    LocalHttpServer server([&](const std::string&) { return Response("200 OK", body); });
    EXPECT_FALSE(platform::HttpGet(server.Address("/space/blog")).has_value());
}

}  // namespace
