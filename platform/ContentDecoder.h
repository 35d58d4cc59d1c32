#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/WarcHttp.h"

namespace platform {

// Whether a stored answer of this content type is a page, a sheet or a script, which replay
// hands on decoded from its Content-Encoding, rather than a song or a picture, kept as the
// server sent it.
bool IsTextContent(std::string_view contentType);

// Inflates a body stored with "Content-Encoding: gzip" (or "x-gzip", or "deflate", with or
// without its zlib wrapper) into a sink, piece by piece.
class ContentDecoder {
public:
    // A decoder for the coding; nothing when the coding is none this reads ("", "identity",
    // "br", several codings).
    static std::unique_ptr<ContentDecoder> For(std::string_view coding);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Inflates the next piece into the sink; false when it does not inflate or the sink
    // stopped.
    bool Feed(const char* data, std::size_t size, const StoredBodySink& sink);

    // Whether the coded data came to its end; false also once Feed failed.
    bool Ended() const { return ended_ && !failed_; }

    // Why the body could not be decoded, for a note; "" while nothing went wrong.
    std::string Problem() const;

private:
    struct Stream;
    explicit ContentDecoder(bool deflate);
    bool Inflate(const char* data, std::size_t size, const StoredBodySink& sink);

    std::unique_ptr<Stream> stream_;
    bool deflate_;
    bool started_ = false;  // some output came: no more falling back to raw deflate
    bool ended_ = false;
    bool failed_ = false;
    bool sinkStopped_ = false;
};

}  // namespace platform
