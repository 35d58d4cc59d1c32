#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <limits>
#include <memory>

#include "backup/modchange.h"

namespace platform {
class BackgroundWriter;
class EventPump;
}  // namespace platform
class WordDocBatch;

// Articles waiting for their Word documents. One headless LibreOffice run converts many waiting
// articles at once, in the background, so that its start of about a second is spread over
// them; each document is placed beside its article (the .html path + ".doc") once its run has
// ended, written and flushed to disk on a thread of its own. Dropping the queue stops a running
// conversion and places none of its documents.
class WordDocQueue {
public:
    WordDocQueue();
    ~WordDocQueue();
    WordDocQueue(const WordDocQueue&) = delete;
    WordDocQueue& operator=(const WordDocQueue&) = delete;

    // Queues the article file at htmlPath (markup in code page 936); a conversion starts once
    // enough articles wait to be worth a start of LibreOffice.
    void Add(const QString& htmlPath);

    // Takes in a conversion that has ended and starts one when enough articles wait; never
    // blocks.
    void Poll();

    // How many articles may still be queued after those queued so far. Near the end of a save
    // runs start with fewer articles, so that the last one is small and ends within the last
    // article's pause.
    void SetComing(int articles);

    // No more articles are coming soon: whatever waits is converted without waiting for more.
    void ConvertWaiting();

    // Converts everything still queued, handling events meanwhile, and flushes the documents'
    // folders to disk. Throws platform::RunStopped, with LibreOffice ended, when the pump asks
    // the run to stop.
    void Finish(platform::EventPump& pump);

    // How many of the queued articles have ended the given way so far.
    int Count(WordDocResult result) const;

    // The article files whose document could not be made or placed so far.
    const QStringList& FailedArticles() const { return failedArticles_; }

private:
    void TakeInEnded();
    void TakeInPlaced();
    void StartBatch();
    void Record(WordDocResult result, int articles = 1);

    QStringList waiting_;
    // Articles a finished run did not make, for one more run with a profile of its own.
    QStringList retrying_;
    QStringList failedArticles_;
    // Ahead of the runs it serves, so that it outlives them and places what they handed over.
    std::unique_ptr<platform::BackgroundWriter> placer_;
    std::unique_ptr<WordDocBatch> running_;
    qsizetype coming_ = std::numeric_limits<qsizetype>::max();
    bool convertNow_ = false;
    bool noConverter_ = false;
    std::array<int, 4> counts_{};
};
