#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/WarcRecords.h"
#include "platform/WarcStream.h"

namespace platform {

class WarcSource;

// Opens the bytes of a file again; nothing, with the reason in error, when it cannot.
using WarcSourceOpener = std::function<std::unique_ptr<WarcSource>(std::string& error)>;

// One file of records that an archive reads (a WARC or ARC file on disk or inside a WACZ file),
// kept open between reads, with the checkpoints its first reading noted in long gzip members.
// Safe to read from several threads: each read takes a reading of its own.
class WarcFile {
public:
    // name: what problems call the file. open: opens its bytes. openBudget: how many readings
    // the files of one archive may keep open between reads, shared by them.
    WarcFile(std::string name, WarcSourceOpener open, std::atomic<int>* openBudget);
    ~WarcFile();
    WarcFile(const WarcFile&) = delete;
    WarcFile& operator=(const WarcFile&) = delete;

    const std::string& Name() const { return name_; }

    // Reads every record of the file in order (ScanWarcStream), noting checkpoints.
    void Scan(const WarcRecordVisitor& visit, std::vector<std::string>& problems,
              const WarcScanProgress& progress = {});

    // Reads the record at the place without its block (ReadRecordAt); nothing, with the reason
    // in wrong, when none begins there.
    std::optional<WarcRecordHead> RecordAt(WarcPlace place, WarcRecordSpot& spot,
                                           std::string& blockStart, std::string& wrong);

    // ReadRecordHead and ReadRecordBlock of a record found in the file.
    std::optional<WarcRecordHead> ReadHead(const WarcRecordSpot& spot);
    bool ReadBlock(const WarcRecordSpot& spot,
                   const std::function<bool(const char*, std::size_t)>& sink);

private:
    // A reading of the file: the one kept open when there is one, else a new one; nothing,
    // with the reason in error, when the file cannot be read.
    std::unique_ptr<WarcStream> Take(std::string& error, WarcFormat& format);
    // Keeps the reading open for the next read, while the budget allows.
    void Give(std::unique_ptr<WarcStream> stream);

    std::string name_;
    WarcSourceOpener open_;
    std::atomic<int>* openBudget_;
    std::shared_ptr<const WarcCheckpoints> checkpoints_;
    std::optional<WarcFormat> format_;
    std::mutex mutex_;
    std::unique_ptr<WarcStream> idle_;
};

}  // namespace platform
