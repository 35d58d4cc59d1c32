#pragma once

#include <string>
#include <vector>

#include "SimFixture.h"

// A blog service that answers the paths a test names with pages it writes itself (UTF-8 in
// the test, code page 936 on the wire), reached through http_proxy while it lives: the
// simulator with pages set, so every path no sample space holds is an error page.
class FakeService {
public:
    // Answers requests for the path (e.g. "/x/blog", without host) with the page; the
    // simulator reads a path with leading slashes doubled as the same path.
    void Serve(const std::string& path, const std::string& utf8Page) {
        sim_.Server().SetPage("/" + path.substr(path.find_first_not_of('/')), utf8Page);
    }

    // The requests received so far, oldest first.
    std::vector<std::string> RequestedPaths() const { return sim_.Requests(); }

private:
    SimFixture sim_;
};
