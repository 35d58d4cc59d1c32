#include "FakeService.h"

#include <QString>
#include <cstdlib>

#include "platform/Codepage.h"

namespace {

// "GET http://host/path HTTP/1.1" through a proxy, "GET /path HTTP/1.1" directly.
std::string RequestPath(const std::string& request) {
    const size_t start = request.find(' ') + 1;
    std::string target = request.substr(start, request.find(' ', start) - start);
    if (const size_t scheme = target.find("://"); scheme != std::string::npos) {
        const size_t slash = target.find('/', scheme + 3);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    return target;
}

std::string Response(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
           "\r\nContent-Type: text/html; charset=gb2312\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

FakeService::FakeService()
    : server_(std::make_unique<LocalHttpServer>(
          [this](const std::string& request) { return Answer(request); })) {
    if (const char* proxy = std::getenv("http_proxy")) {
        hadProxy_ = true;
        savedProxy_ = proxy;
    }
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(server_->Port())).c_str(), 1);
    setenv("no_proxy", "", 1);
}

FakeService::~FakeService() {
    server_.reset();
    hadProxy_ ? setenv("http_proxy", savedProxy_.c_str(), 1) : unsetenv("http_proxy");
}

void FakeService::Serve(const std::string& path, const std::string& utf8Page) {
    pages_[path] = platform::ToAnsi(QString::fromStdString(utf8Page));
}

std::vector<std::string> FakeService::RequestedPaths() const {
    std::vector<std::string> paths;
    for (const std::string& request : server_->Requests()) {
        paths.push_back(RequestPath(request));
    }
    return paths;
}

std::string FakeService::Answer(const std::string& request) {
    const auto page = pages_.find(RequestPath(request));
    return page == pages_.end() ? Response(404, "") : Response(200, page->second);
}
