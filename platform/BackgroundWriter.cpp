#include "platform/BackgroundWriter.h"

#include "platform/FileSystem.h"

namespace platform {
namespace {

// Enough to keep the writer busy through a burst of fast answers; a few megabytes at most.
constexpr std::size_t kMostWaiting = 64;

}  // namespace

BackgroundWriter::BackgroundWriter() : thread_([this] { WriteWaitingFiles(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::WriteAnsiLines(const QString& path, QStringList lines) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMostWaiting; });
    waiting_.push_back({path, std::move(lines)});
    changed_.notify_all();
}

int BackgroundWriter::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && !writing_; });
    const int failed = failed_;
    failed_ = 0;
    return failed;
}

void BackgroundWriter::WriteWaitingFiles() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;
        }
        File file = std::move(waiting_.front());
        waiting_.pop_front();
        writing_ = true;
        changed_.notify_all();
        lock.unlock();
        const bool written = platform::WriteAnsiLines(file.path, file.lines);
        lock.lock();
        writing_ = false;
        failed_ += written ? 0 : 1;
        changed_.notify_all();
    }
}

}  // namespace platform
