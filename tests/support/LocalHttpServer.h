#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A one-connection-at-a-time HTTP server on a free loopback port whose answers are raw bytes,
// so a test can send what no well-behaved server would: a body cut short, a stall.
class LocalHttpServer {
public:
    // Gets the request line and headers, returns the bytes to send before closing.
    using Responder = std::function<std::string(const std::string& request)>;

    explicit LocalHttpServer(Responder responder);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int Port() const { return port_; }
    std::string Address(const std::string& path) const;
    std::vector<std::string> Requests() const;
    // True until the server is being torn down; a responder that stalls watches it.
    bool Running() const { return !stopping_; }

private:
    void Serve();
    void Answer(int connection);

    Responder responder_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
