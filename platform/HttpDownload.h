#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <string>

namespace platform {

class HttpTransfer;

// One GET whose body goes into a file as it arrives, on a worker thread, so that neither the
// memory nor the user-interface thread carries it, whatever its size. The file takes the
// place of an earlier one only once a successful answer has been written whole and holds at
// least one byte; otherwise (refused, cut off, stalled, an error status, an empty body, a
// file that cannot be written, an abort) an earlier file stays as it was and no partial file
// is left. Starts at once; destroying it aborts a download still under way. Given `beneath`
// (the space folder), the file is written through no symbolic link below it (ReplacingFile).
class HttpDownload {
public:
    HttpDownload(std::string address, const QString& destination, const QString& beneath = {});
    ~HttpDownload();
    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    // True once the download has ended and its file is in place or given up.
    bool Done() const;

    // The bytes of the body written to the file so far.
    long long BytesWritten() const;

    // The length the answer announced ("Content-Length"), or -1 when it announced none or
    // its body has not begun to arrive.
    long long AnnouncedLength() const;

    // Once Done(): whether the destination now holds the whole body.
    bool Saved() const;

private:
    class FileReceiver;
    std::shared_ptr<FileReceiver> receiver_;
    std::unique_ptr<HttpTransfer> transfer_;
};

}  // namespace platform
