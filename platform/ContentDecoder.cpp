#include "platform/ContentDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kOutputBytes = 64 * 1024;
// zlib's window bits: gzip or zlib framing told apart by their first bytes; bare deflate.
constexpr int kGzipOrZlib = 32 + MAX_WBITS;
constexpr int kBareDeflate = -MAX_WBITS;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace

struct ContentDecoder::Stream {
    z_stream z{};
    bool ready = false;
    std::vector<char> output = std::vector<char>(kOutputBytes);

    Stream() { ready = inflateInit2(&z, kGzipOrZlib) == Z_OK; }
    ~Stream() {
        if (ready) {
            inflateEnd(&z);
        }
    }
};

bool IsTextContent(std::string_view contentType) {
    const std::string type = Lower(contentType.substr(0, contentType.find(';')));
    return type.empty() || type.starts_with("text/") || type.find("html") != std::string::npos ||
           type.find("xml") != std::string::npos || type.find("javascript") != std::string::npos ||
           type.find("json") != std::string::npos || type.find("css") != std::string::npos;
}

std::unique_ptr<ContentDecoder> ContentDecoder::For(std::string_view coding) {
    const std::string name = Lower(coding.substr(0, coding.find_last_not_of(" \t") + 1));
    if (name == "gzip" || name == "x-gzip") {
        return std::unique_ptr<ContentDecoder>(new ContentDecoder(false));
    }
    if (name == "deflate") {
        return std::unique_ptr<ContentDecoder>(new ContentDecoder(true));
    }
    return nullptr;
}

ContentDecoder::ContentDecoder(bool deflate)
    : stream_(std::make_unique<Stream>()), deflate_(deflate) {
    failed_ = !stream_->ready;
}

ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::Feed(const char* data, std::size_t size, const StoredBodySink& sink) {
    if (failed_) {
        return false;
    }
    if (Inflate(data, size, sink)) {
        return true;
    }
    // Some servers sent "deflate" without its zlib wrapper: read the start again as such.
    if (deflate_ && !started_ && !sinkStopped_ &&
        inflateReset2(&stream_->z, kBareDeflate) == Z_OK) {
        deflate_ = false;
        failed_ = false;
        return Inflate(data, size, sink);
    }
    return false;
}

bool ContentDecoder::Inflate(const char* data, std::size_t size, const StoredBodySink& sink) {
    z_stream& z = stream_->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = static_cast<uInt>(size);
    // Bytes after the end of the coded data are no part of the body.
    while (!ended_ && (z.avail_in > 0 || z.avail_out == 0)) {
        z.next_out = reinterpret_cast<Bytef*>(stream_->output.data());
        z.avail_out = static_cast<uInt>(stream_->output.size());
        const int result = inflate(&z, Z_NO_FLUSH);
        const std::size_t made = stream_->output.size() - z.avail_out;
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            failed_ = true;
            return false;
        }
        ended_ = result == Z_STREAM_END;
        if (made > 0) {
            started_ = true;
            if (!sink(stream_->output.data(), made)) {
                failed_ = sinkStopped_ = true;
                return false;
            }
        }
        if (result == Z_BUF_ERROR) {
            break;
        }
    }
    return true;
}

std::string ContentDecoder::Problem() const {
    if (sinkStopped_) {
        return {};
    }
    if (failed_) {
        return "its compressed content (Content-Encoding) does not inflate";
    }
    return ended_ ? std::string() : "its compressed content (Content-Encoding) is cut short";
}

}  // namespace platform
