#pragma once

#include "sim/SpaceServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

// What a client saw of one GET.
struct Fetched {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string contentType;
    std::string body;     // raw bytes, as much as arrived
    std::string headers;  // the header lines as received
    double contentLength = -1;
};

// One GET with libcurl, directly or through `proxy` ("http://127.0.0.1:PORT"), giving up
// after `timeoutMs`.
Fetched Fetch(const std::string& url, const std::string& proxy = {}, long timeoutMs = 10000);

// The value of the first header of that name (matched exactly), empty when there is none.
std::string Header(const Fetched& fetched, const std::string& name);

// "http://127.0.0.1:PORT" for a port.
std::string Origin(int port);

// Page bytes in code page 936 read back as UTF-8; fails the test when they are not valid.
std::string Utf8(const std::string& cp936);

// Non-overlapping occurrences of `word` in `text`.
int Count(const std::string& text, std::string_view word);

// Serves the sample spaces on a free port for each test.
class SampleSpacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = server_.Start(0);
        ASSERT_GT(port_, 0);
    }

    spacesim::SpaceServer server_{
        spacesim::SpaceStore::FromFolder(spacesim::SpaceStore::DefaultFolder())};
    int port_ = -1;
};
