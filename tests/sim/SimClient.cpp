#include "SimClient.h"

#include "sim/Cp936.h"

#include <gtest/gtest.h>
#include <mutex>

namespace {

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

}  // namespace

Fetched Fetch(const std::string& url, const std::string& proxy, long timeoutMs) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    Fetched result;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    // An empty proxy also keeps a proxy from the test's environment out of the way.
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &result.headers);
    result.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) {
        result.contentType = type;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    result.contentLength = static_cast<double>(length);
    curl_easy_cleanup(curl);
    return result;
}

std::string Header(const Fetched& fetched, const std::string& name) {
    const std::size_t start = fetched.headers.find("\r\n" + name + ": ");
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t from = start + name.size() + 4;
    return fetched.headers.substr(from, fetched.headers.find("\r\n", from) - from);
}

std::string Origin(int port) {
    return "http://127.0.0.1:" + std::to_string(port);
}

std::string Utf8(const std::string& cp936) {
    const auto text = spacesim::FromCp936(cp936);
    EXPECT_TRUE(text.has_value()) << "not code page 936";
    return text.value_or("");
}

int Count(const std::string& text, std::string_view word) {
    int count = 0;
    for (std::size_t at = text.find(word); at != std::string::npos;
         at = text.find(word, at + word.size())) {
        ++count;
    }
    return count;
}
