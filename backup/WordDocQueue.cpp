#include "backup/WordDocQueue.h"

#include "backup/WordDocBatch.h"
#include "platform/EventPump.h"

namespace {

// Enough to spread LibreOffice's start of about a second thinly over its documents, few
// enough that a run without waits converts alongside the requests still to come.
constexpr qsizetype kBatchSize = 100;
constexpr int kSliceMs = 20;

}  // namespace

WordDocQueue::WordDocQueue() = default;
WordDocQueue::~WordDocQueue() = default;

void WordDocQueue::Add(const QString& htmlPath) {
    waiting_ << htmlPath;
    TakeInEnded();
    if (!running_ && waiting_.size() >= kBatchSize) {
        StartBatch();
    }
}

void WordDocQueue::Poll() {
    TakeInEnded();
    if (!running_ && !waiting_.isEmpty()) {
        StartBatch();
    }
}

void WordDocQueue::Finish(platform::EventPump& pump) {
    for (Poll(); running_; Poll()) {
        pump.PumpFor(kSliceMs);
        if (pump.StopRequested()) {
            throw platform::RunStopped{};
        }
    }
}

int WordDocQueue::Count(WordDocResult result) const {
    return counts_[static_cast<size_t>(result)];
}

void WordDocQueue::TakeInEnded() {
    if (!running_) {
        return;
    }
    const std::optional<QList<WordDocResult>> results = running_->TakeIn();
    if (!results) {
        return;
    }
    running_.reset();
    for (const WordDocResult result : *results) {
        noConverter_ = noConverter_ || result == WordDocResult::NoConverter;
        Record(result);
    }
}

void WordDocQueue::StartBatch() {
    // Without LibreOffice every later run would fail the same way.
    if (noConverter_) {
        Record(WordDocResult::NoConverter, static_cast<int>(waiting_.size()));
        waiting_.clear();
        return;
    }
    running_ = std::make_unique<WordDocBatch>(waiting_.mid(0, kBatchSize));
    waiting_.remove(0, std::min(kBatchSize, waiting_.size()));
}

void WordDocQueue::Record(WordDocResult result, int articles) {
    counts_[static_cast<size_t>(result)] += articles;
}
