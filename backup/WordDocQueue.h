#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "backup/modchange.h"

namespace platform {
class EventPump;
}
class WordDocBatch;

// Articles waiting for their Word documents. One headless LibreOffice run converts every
// article waiting when it starts, in the background, so that its start costs only the wait it
// overlaps; each document is placed beside its article (the .html path + ".doc") once its run
// has ended. Dropping the queue stops a running conversion and places none of its documents.
class WordDocQueue {
public:
    WordDocQueue();
    ~WordDocQueue();
    WordDocQueue(const WordDocQueue&) = delete;
    WordDocQueue& operator=(const WordDocQueue&) = delete;

    // Queues the article file at htmlPath (markup in code page 936); starts a conversion only
    // when many are waiting, so that a run without waits converts them together.
    void Add(const QString& htmlPath);

    // Takes in a conversion that has ended and starts one for whatever waits; never blocks.
    void Poll();

    // Converts everything still queued, handling events meanwhile. Throws
    // platform::RunStopped, with LibreOffice ended, when the pump asks the run to stop.
    void Finish(platform::EventPump& pump);

    // How many of the queued articles have ended the given way so far.
    int Count(WordDocResult result) const;

private:
    void TakeInEnded();
    void StartBatch();
    void Record(WordDocResult result, int articles = 1);

    QStringList waiting_;
    std::unique_ptr<WordDocBatch> running_;
    bool noConverter_ = false;
    std::array<int, 4> counts_{};
};
