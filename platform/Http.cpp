#include "platform/Http.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <new>

namespace platform {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutS = 10;
// A transfer slower than one byte a second for this long counts as stalled.
constexpr long kStallTimeS = 30;
constexpr long kOverallTimeoutS = 300;
// No page of the service comes near this; a body that does is hostile and would only eat
// memory, so the request fails instead.
constexpr std::size_t kMaxBodyBytes = 64u << 20;
// Addresses come from pages; nothing but the web may be read through them (no file://).
constexpr const char* kAllowedProtocols = "http,https";

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

bool InitialiseCurl() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

size_t CollectBody(char* data, size_t size, size_t count, void* userData) {
    const size_t bytes = size * count;
    auto* body = static_cast<std::string*>(userData);
    if (body->size() + bytes > kMaxBodyBytes) {
        return 0;
    }
    try {
        body->append(data, bytes);
    } catch (const std::bad_alloc&) {
        // Returning short makes curl abort the transfer with an error.
        return 0;
    }
    return bytes;
}

}  // namespace

std::optional<std::string> HttpGet(const std::string& address) {
    // curl reads the address up to the first zero; a cut address would fetch another page.
    if (address.find('\0') != std::string::npos || !InitialiseCurl()) {
        return std::nullopt;
    }
    std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    if (!handle) {
        return std::nullopt;
    }
    std::string body;
    CURL* curl = handle.get();
    // The proxy is deliberately left unset so that curl takes it from http_proxy & co.
    const bool configured =
        curl_easy_setopt(curl, CURLOPT_URL, address.c_str()) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallTimeS) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, kOverallTimeoutS) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectBody) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body) == CURLE_OK;
    if (!configured || curl_easy_perform(curl) != CURLE_OK) {
        return std::nullopt;
    }
    return body;
}

}  // namespace platform
