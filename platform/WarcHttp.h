#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The head of an HTTP response as a WARC record keeps it.
struct StoredHead {
    long status = 0;
    std::string contentType;      // "" when absent
    std::string contentLength;    // "" when absent
    std::string location;         // "" when absent
    std::string contentEncoding;  // "" when absent ("gzip", "deflate", ...)
    bool chunked = false;         // the body is sent in chunks ("Transfer-Encoding: chunked")
};

// The status of a stored response from the first bytes of its block ("HTTP/1.1 200 OK"), or
// 0 when they are no status line.
long StoredStatus(const std::string& blockStart);

// Takes pieces of the body of a stored response, as it went out without its chunking; returns
// false to stop.
using StoredBodySink = std::function<bool(const char*, std::size_t)>;

// Reads a stored HTTP response (a WARC response record's block) piece by piece: its head, then
// its body, decoded from chunks and cut at its Content-Length, into the sink that onHead
// chooses for it once the head is read. A body said to be chunked whose first line is no
// chunk's size is taken as stored: browser capture tools keep the header "Transfer-Encoding:
// chunked" over a body they stored without its chunks. One whose chunks break later is
// malformed.
class StoredResponseReader {
public:
    using HeadHandler = std::function<StoredBodySink(const StoredHead&)>;
    explicit StoredResponseReader(HeadHandler onHead);

    // Takes the next piece of the block; false when the message is malformed or the sink
    // stopped.
    bool Feed(const char* data, std::size_t size);

    // Once the whole block was fed: hands on what it held back of a body too short to tell
    // whether it is chunked, and says whether the block held a head and a whole body.
    bool Finish();

    // Once the whole block was fed: whether it held a head and a whole body (no chunk and no
    // byte of a Content-Length missing).
    bool Complete() const;

    // Why the message could not be read whole, for a note naming the capture; "" when it was.
    std::string Problem() const;

    // Reads only a head, the whole block fed to the reader, with nothing after it (a revisit
    // record's block); nothing when the block holds no head.
    static std::optional<StoredHead> HeadOnly(const std::string& block);

private:
    bool FeedHead(const char* data, std::size_t size, std::size_t& used);
    bool FeedChunked(const char* data, std::size_t size);
    bool FeedSizeLine(const char* data, std::size_t size, std::size_t& at);
    bool TakeAsStored(const char* data, std::size_t size);
    bool Deliver(const char* data, std::size_t size);
    bool Malformed(bool chunks);

    enum class Chunk { SizeLine, Data, DataEnd, Trailer, Done };

    HeadHandler onHead_;
    StoredBodySink sink_;
    std::string pending_;  // the head, or a chunk's size or trailer line, until it is whole
    bool headRead_ = false;
    bool malformed_ = false;
    bool chunksMalformed_ = false;
    bool headTooLong_ = false;
    bool sinkStopped_ = false;
    bool chunkSeen_ = false;  // a chunk's size was read: the body is chunked indeed
    StoredHead head_;
    std::optional<std::uint64_t> length_;  // the Content-Length, when the body is not chunked
    std::uint64_t delivered_ = 0;
    Chunk chunk_ = Chunk::SizeLine;
    std::uint64_t chunkLeft_ = 0;
};

}  // namespace platform
