// What the end-to-end tests do not show of HttpGet: raw bytes whatever the status, and the
// limits that keep a hostile server or page from hanging the program or filling its memory.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

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

// Answers every connection on a loopback port with a redirect to itself, counting them.
class RedirectLoop {
public:
    RedirectLoop() : listener_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), length), 0);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] {
            const std::string reply =
                "HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n";
            for (int connection; (connection = accept(listener_, nullptr, nullptr)) >= 0;) {
                char request[4096];
                recv(connection, request, sizeof request, 0);
                send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
                close(connection);
                ++answered;
            }
        });
    }
    ~RedirectLoop() {
        shutdown(listener_, SHUT_RDWR);  // wakes the accept
        thread_.join();
        close(listener_);
    }
    std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_) + "/again"; }

    std::atomic<int> answered{0};

private:
    int listener_;
    int port_ = 0;
    std::thread thread_;
};

TEST(HttpGet, GivesUpOnARedirectLoop) {
    setenv("no_proxy", "*", 1);
    RedirectLoop loop;
    EXPECT_FALSE(HttpGet(loop.Address()).has_value());
    EXPECT_LE(loop.answered, 11);
    unsetenv("no_proxy");
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
