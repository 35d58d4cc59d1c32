#pragma once

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

// Writes text files on a thread of its own, one after another in the order given, so that a
// run's next request does not wait for the file system to create the last file. Each file is
// written as WriteAnsiLines writes it.
class BackgroundWriter {
public:
    BackgroundWriter();
    // Writes whatever is still waiting before it goes.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Hands one file over; waits while many are still unwritten, so memory stays bounded.
    void WriteAnsiLines(const QString& path, QStringList lines);

    // Waits until every file handed over is written. Returns how many of them could not be
    // written since the last call.
    int Finish();

private:
    struct File {
        QString path;
        QStringList lines;
    };

    void WriteWaitingFiles();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<File> waiting_;
    bool writing_ = false;
    bool closing_ = false;
    int failed_ = 0;
    std::thread thread_;
};

}  // namespace platform
