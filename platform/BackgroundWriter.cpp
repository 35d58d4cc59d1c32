#include "platform/BackgroundWriter.h"

#include <QFileInfo>
#include <utility>

#include "platform/FileSystem.h"

namespace platform {
namespace {

// Enough to keep the writer busy through a burst of fast answers or a run's Word documents;
// a few megabytes at most.
constexpr std::size_t kMostWaiting = 128;

}  // namespace

BackgroundWriter::BackgroundWriter() : thread_([this] { WriteWaitingFiles(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
    Finish();
}

void BackgroundWriter::WriteAnsiLines(const QString& path, QStringList lines,
                                      const QString& beneath) {
    Hand({path, std::move(lines), {}, true, beneath});
}

void BackgroundWriter::WriteBytes(const QString& path, QByteArray bytes, const QString& beneath) {
    Hand({path, {}, std::move(bytes), false, beneath});
}

std::vector<BackgroundWriter::Outcome> BackgroundWriter::TakeFinished() {
    const std::lock_guard lock(mutex_);
    return std::exchange(finished_, {});
}

int BackgroundWriter::Finish() {
    std::map<QString, int> folders;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return waiting_.empty() && !writing_; });
        folders = std::exchange(writtenPerFolder_, {});
    }
    int unsynced = 0;
    for (const auto& [folder, files] : folders) {
        unsynced += SyncFolder(folder) ? 0 : files;
    }
    return unsynced;
}

void BackgroundWriter::Hand(File file) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMostWaiting; });
    waiting_.push_back(std::move(file));
    changed_.notify_all();
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
        const bool written = Write(file);
        lock.lock();
        writing_ = false;
        finished_.push_back({file.path, written});
        if (written) {
            ++writtenPerFolder_[QFileInfo(file.path).path()];
        }
        changed_.notify_all();
    }
}

bool BackgroundWriter::Write(const File& file) {
    // The folder is flushed once for all its files, by Finish.
    if (file.text) {
        return platform::WriteAnsiLines(file.path, file.lines, FolderSync::ByCaller, file.beneath);
    }
    ReplacingFile replacing(file.path, FolderSync::ByCaller, file.beneath);
    return replacing.Open() && replacing.Write(file.bytes.constData(), file.bytes.size()) &&
           replacing.Commit();
}

}  // namespace platform
