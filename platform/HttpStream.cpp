#include <condition_variable>
#include <deque>
#include <mutex>
#include <streambuf>

#include "platform/EventPump.h"
#include "platform/Http.h"

namespace platform {
namespace {

// How far the transfer may run ahead of the reading, in pieces of at most 16 KB (256 KB for a
// receiver): enough to keep the connection busy, never the body whole.
constexpr std::size_t kPiecesAhead = 4;
// How long a read waits for the next piece before it handles window events again.
constexpr int kPollMs = 10;
// Far beyond any page worth reading; an answer that comes on and on ends here.
constexpr std::size_t kMostBodyBytes = std::size_t{1} << 30;

// Lets the run go on while a read waits: window events are handled, a stop ends the read.
void WhileWaiting() {
    EventPump* pump = RequestPump();
    if (pump == nullptr) {
        return;
    }
    if (pump->HandlesWindowEvents()) {
        pump->PumpFor(0);
    }
    if (pump->StopRequested()) {
        throw RunStopped{};
    }
}

}  // namespace

// The pieces of the body, handed from the transfer's worker to the reading thread.
class HttpStream::Pieces : public BodyReceiver {
public:
    enum class Next { Piece, Waiting, Ended };

    bool Begin(long long) override { return true; }

    // Waits for room, so that the transfer never runs far ahead of the reading.
    bool Receive(const char* data, std::size_t size) override {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return queue_.size() < kPiecesAhead || closed_; });
        received_ += size;
        if (closed_ || received_ > kMostBodyBytes) {
            return false;
        }
        queue_.emplace_back(data, size);
        arrived_.notify_all();
        return true;
    }

    void End(const std::optional<HttpResponse>&) override {
        std::lock_guard lock(mutex_);
        ended_ = true;
        arrived_.notify_all();
    }

    // The next piece into piece, waiting at most maxMs for it.
    Next Take(std::string& piece, int maxMs) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::milliseconds(maxMs),
                          [this] { return !queue_.empty() || ended_; });
        if (queue_.empty()) {
            return ended_ ? Next::Ended : Next::Waiting;
        }
        piece = std::move(queue_.front());
        queue_.pop_front();
        room_.notify_all();
        return Next::Piece;
    }

    // The reading has ended: a piece still coming fails the transfer, which then ends.
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        room_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable room_;
    std::condition_variable arrived_;
    std::deque<std::string> queue_;
    std::size_t received_ = 0;
    bool ended_ = false;
    bool closed_ = false;
};

class HttpStream::Buffer : public std::streambuf {
public:
    explicit Buffer(Pieces& pieces) : pieces_(pieces) {}

protected:
    int_type underflow() override {
        for (;;) {
            switch (pieces_.Take(piece_, kPollMs)) {
                case Pieces::Next::Piece:
                    if (piece_.empty()) {
                        continue;
                    }
                    setg(piece_.data(), piece_.data(), piece_.data() + piece_.size());
                    return traits_type::to_int_type(*gptr());
                case Pieces::Next::Ended:
                    return traits_type::eof();
                case Pieces::Next::Waiting:
                    WhileWaiting();
                    continue;
            }
        }
    }

private:
    Pieces& pieces_;
    std::string piece_;
};

HttpStream::HttpStream(std::string address, Route route)
    : pieces_(std::make_shared<Pieces>()),
      buffer_(std::make_unique<Buffer>(*pieces_)),
      body_(buffer_.get()),
      transfer_(
          std::make_unique<HttpTransfer>(std::move(address), Payload::Stream, pieces_, route)) {}

// The pieces close first, so that a worker waiting for room lets go and the transfer ends.
HttpStream::~HttpStream() {
    pieces_->Close();
    transfer_.reset();
}

std::istream& HttpStream::Body() {
    return body_;
}

std::optional<HttpResponse> HttpStream::Finish() {
    // The body has ended, so the worker is at most finishing the transfer.
    while (!transfer_->WaitFor(kPollMs)) {
        WhileWaiting();
    }
    return transfer_->TakeResponse();
}

}  // namespace platform
