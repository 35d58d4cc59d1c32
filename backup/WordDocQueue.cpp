#include "backup/WordDocQueue.h"

#include "backup/WordDocBatch.h"
#include "platform/BackgroundWriter.h"
#include "platform/EventPump.h"

namespace {

// Enough to spread LibreOffice's start (about a second of processor) thinly over the
// documents, few enough that one run converts them within an article's two-second pause: the
// run started at the last article then ends before its pause does.
constexpr qsizetype kFullBatch = 40;
// The most one run takes, when many came in while the last one ran.
constexpr qsizetype kMostPerBatch = 100;
constexpr int kSliceMs = 20;

}  // namespace

WordDocQueue::WordDocQueue() : placer_(std::make_unique<platform::BackgroundWriter>()) {}

WordDocQueue::~WordDocQueue() = default;

void WordDocQueue::Add(const QString& htmlPath) {
    waiting_ << htmlPath;
    Poll();
}

void WordDocQueue::Poll() {
    TakeInEnded();
    TakeInPlaced();
    const bool enough = waiting_.size() >= kFullBatch || (convertNow_ && !waiting_.isEmpty());
    if (!running_ && enough) {
        StartBatch();
    }
}

void WordDocQueue::ConvertWaiting() {
    convertNow_ = true;
    Poll();
}

void WordDocQueue::Finish(platform::EventPump& pump) {
    ConvertWaiting();
    while (running_) {
        pump.PumpFor(kSliceMs);
        if (pump.StopRequested()) {
            throw platform::RunStopped{};
        }
        Poll();
    }
    const int unflushed = placer_->Finish();
    TakeInPlaced();
    // Documents whose folder could not be flushed may be lost in a crash.
    counts_[static_cast<size_t>(WordDocResult::Made)] -= unflushed;
    Record(WordDocResult::ConversionFailed, unflushed);
}

int WordDocQueue::Count(WordDocResult result) const {
    return counts_[static_cast<size_t>(result)];
}

void WordDocQueue::TakeInEnded() {
    if (!running_) {
        return;
    }
    const std::optional<QList<WordDocResult>> results = running_->TakeIn(*placer_);
    if (!results) {
        return;
    }
    running_.reset();
    for (const WordDocResult result : *results) {
        noConverter_ = noConverter_ || result == WordDocResult::NoConverter;
        // A made document counts once it is in place.
        if (result != WordDocResult::Made) {
            Record(result);
        }
    }
}

void WordDocQueue::TakeInPlaced() {
    for (const platform::BackgroundWriter::Outcome& placed : placer_->TakeFinished()) {
        Record(placed.written ? WordDocResult::Made : WordDocResult::ConversionFailed);
    }
}

void WordDocQueue::StartBatch() {
    // Without LibreOffice every later run would fail the same way.
    if (noConverter_) {
        Record(WordDocResult::NoConverter, static_cast<int>(waiting_.size()));
        waiting_.clear();
        return;
    }
    running_ = std::make_unique<WordDocBatch>(waiting_.mid(0, kMostPerBatch));
    waiting_.remove(0, std::min(kMostPerBatch, waiting_.size()));
}

void WordDocQueue::Record(WordDocResult result, int articles) {
    counts_[static_cast<size_t>(result)] += articles;
}
