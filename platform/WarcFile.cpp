#include "platform/WarcFile.h"

#include <utility>

#include "platform/WarcSource.h"

namespace platform {

WarcFile::WarcFile(std::string name, WarcSourceOpener open, std::atomic<int>* openBudget)
    : name_(std::move(name)),
      open_(std::move(open)),
      openBudget_(openBudget),
      checkpoints_(std::make_shared<WarcCheckpoints>()) {}

WarcFile::~WarcFile() {
    if (idle_) {
        ++*openBudget_;
    }
}

void WarcFile::Scan(const WarcRecordVisitor& visit, std::vector<std::string>& problems,
                    const WarcScanProgress& progress) {
    std::string error;
    WarcFormat format{};
    std::unique_ptr<WarcStream> stream = Take(error, format);
    if (!stream) {
        problems.push_back(name_ + ": cannot be read (" + error + ")");
        return;
    }
    // Readings to come use the checkpoints once they are all noted.
    WarcCheckpoints noted;
    stream->NoteCheckpoints(&noted);
    ScanWarcStream(name_, *stream, visit, problems, progress);
    stream->NoteCheckpoints(nullptr);
    {
        std::lock_guard lock(mutex_);
        checkpoints_ = std::make_shared<const WarcCheckpoints>(std::move(noted));
        if (idle_) {
            ++*openBudget_;
            idle_.reset();
        }
    }
}

std::optional<WarcRecordHead> WarcFile::RecordAt(WarcPlace place, WarcRecordSpot& spot,
                                                 std::string& blockStart, std::string& wrong) {
    WarcFormat format{};
    std::unique_ptr<WarcStream> stream = Take(wrong, format);
    if (!stream) {
        return std::nullopt;
    }
    std::optional<WarcRecordHead> head =
        ReadRecordAt(*stream, format, place, spot, blockStart, wrong);
    Give(std::move(stream));
    return head;
}

std::optional<WarcRecordHead> WarcFile::ReadHead(const WarcRecordSpot& spot) {
    std::string error;
    WarcFormat format{};
    std::unique_ptr<WarcStream> stream = Take(error, format);
    if (!stream) {
        return std::nullopt;
    }
    std::optional<WarcRecordHead> head = ReadRecordHead(*stream, format, spot);
    Give(std::move(stream));
    return head;
}

bool WarcFile::ReadBlock(const WarcRecordSpot& spot,
                         const std::function<bool(const char*, std::size_t)>& sink) {
    std::string error;
    WarcFormat format{};
    std::unique_ptr<WarcStream> stream = Take(error, format);
    if (!stream) {
        return false;
    }
    const bool read = ReadRecordBlock(*stream, spot, sink);
    Give(std::move(stream));
    return read;
}

std::unique_ptr<WarcStream> WarcFile::Take(std::string& error, WarcFormat& format) {
    std::shared_ptr<const WarcCheckpoints> checkpoints;
    {
        std::lock_guard lock(mutex_);
        if (idle_) {
            ++*openBudget_;
            format = *format_;
            return std::move(idle_);
        }
        checkpoints = checkpoints_;
    }
    std::unique_ptr<WarcSource> source = open_(error);
    std::unique_ptr<WarcStream> stream =
        source ? WarcStream::Open(std::move(source), checkpoints, error) : nullptr;
    if (stream) {
        const WarcFormat detected = DetectWarcFormat(*stream);
        std::lock_guard lock(mutex_);
        format = format_.value_or(detected);
        format_ = format;
    }
    return stream;
}

void WarcFile::Give(std::unique_ptr<WarcStream> stream) {
    stream->TakeProblems();
    std::lock_guard lock(mutex_);
    if (idle_) {
        return;
    }
    if (openBudget_->fetch_sub(1) > 0) {
        idle_ = std::move(stream);
    } else {
        ++*openBudget_;
    }
}

}  // namespace platform
