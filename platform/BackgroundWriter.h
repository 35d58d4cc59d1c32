#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

// Writes files on a thread of its own, one after another in the order given, so that a run's
// next request does not wait for the file system to create and flush the last file. Each file
// replaces its destination whole and is flushed to disk; the folders they went into are
// flushed once, by Finish.
class BackgroundWriter {
public:
    // How the writing of one file handed over ended.
    struct Outcome {
        QString path;
        bool written = false;
    };

    BackgroundWriter();
    // Writes whatever is still waiting before it goes.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Hands one text file over, each line to be written in code page 936 followed by CR LF,
    // through no symbolic link below `beneath` when given (see ReplacingFile); waits while
    // many are still unwritten, so memory stays bounded.
    void WriteAnsiLines(const QString& path, QStringList lines, const QString& beneath = {});

    // Hands one file of raw bytes over, as WriteAnsiLines does.
    void WriteBytes(const QString& path, QByteArray bytes, const QString& beneath = {});

    // The files finished since the last call, in the order handed over; never waits.
    std::vector<Outcome> TakeFinished();

    // Waits until every file handed over is finished, then flushes each folder written into
    // since the last call. Returns how many written files lie in folders that could not be
    // flushed.
    int Finish();

private:
    struct File {
        QString path;
        QStringList lines;  // a text file's, when text
        QByteArray bytes;
        bool text = false;
        QString beneath;
    };

    void Hand(File file);
    void WriteWaitingFiles();
    static bool Write(const File& file);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<File> waiting_;
    std::vector<Outcome> finished_;
    std::map<QString, int> writtenPerFolder_;
    bool writing_ = false;
    bool closing_ = false;
    std::thread thread_;
};

}  // namespace platform
