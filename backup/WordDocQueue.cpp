#include "backup/WordDocQueue.h"

#include "backup/WordDocBatch.h"
#include "platform/BackgroundWriter.h"
#include "platform/EventPump.h"

namespace {

// Enough to spread LibreOffice's start (about a second of processor) thinly over the
// documents, few enough that one run converts them within an article's two-second pause.
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
    // Towards the end each run takes about half of what is left, so the runs shrink to one
    // article and the run started at the last article ends before its pause does.
    const bool endNear = !waiting_.isEmpty() && 2 * waiting_.size() >= coming_;
    const bool enough =
        waiting_.size() >= kFullBatch || endNear || (convertNow_ && !waiting_.isEmpty());
    if (!running_ && !retrying_.isEmpty()) {
        running_ = std::make_unique<WordDocBatch>(retrying_, WordDocBatch::Profile::Fresh);
        retrying_.clear();
    } else if (!running_ && enough) {
        StartBatch();
    }
}

void WordDocQueue::SetComing(int articles) {
    coming_ = articles;
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
    const QStringList articles = running_->Articles();
    const bool retried = running_->FreshProfile();
    running_.reset();
    for (qsizetype i = 0; i < results->size(); ++i) {
        const WordDocResult result = (*results)[i];
        noConverter_ = noConverter_ || result == WordDocResult::NoConverter;
        // A LibreOffice starting for the first time on a machine, or meeting a profile another
        // run left behind, can end without converting; a run of its own tries them once more.
        if (result == WordDocResult::ConversionFailed && !retried) {
            retrying_ << articles[i];
        } else if (result != WordDocResult::Made) {
            // A made document counts once it is in place.
            Record(result);
            if (result != WordDocResult::NoConverter) {
                failedArticles_ << articles[i];
            }
        }
    }
}

void WordDocQueue::TakeInPlaced() {
    for (const platform::BackgroundWriter::Outcome& placed : placer_->TakeFinished()) {
        Record(placed.written ? WordDocResult::Made : WordDocResult::ConversionFailed);
        if (!placed.written) {
            failedArticles_ << placed.path.chopped(static_cast<qsizetype>(sizeof(".doc") - 1));
        }
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
