#pragma once

#include <map>
#include <memory>
#include <string>

#include "LocalHttpServer.h"

// A blog service that answers the paths a test names with pages it writes itself (UTF-8 in
// the test, code page 936 on the wire), reached through http_proxy while it lives. Every
// other path gets an empty 404 page.
class FakeService {
public:
    FakeService();
    ~FakeService();
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    // Answers requests for the path (e.g. "/x/blog", without host) with the page.
    void Serve(const std::string& path, const std::string& utf8Page);

    // The paths requested so far, oldest first.
    std::vector<std::string> RequestedPaths() const;

private:
    std::string Answer(const std::string& request);

    std::map<std::string, std::string> pages_;
    std::unique_ptr<LocalHttpServer> server_;
    std::string savedProxy_;
    bool hadProxy_ = false;
};
