#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace platform {
class HttpTransfer;
}

// A picture answer larger than this is no picture of a blog: it is cut off and fails, so that
// no answer fills the disk.
inline constexpr long long kLargestPicture = 64LL << 20;

// One picture on its way into the picture folder, fetched on a worker thread through the
// channel every page takes (the proxy, the replay prefix or the WARC files), with the stall and
// busy-server rules of a song. Its file is named the stem with the extension of the kind its
// first bytes show (PictureTypeOf), whatever type the answer names, and takes the place of an
// earlier one only once the whole answer is written; an answer that is no picture, an error,
// a failed request or write, or an abort leaves any earlier file as it was and no partial one.
// Given `beneath` (the space folder), the file is written through no symbolic link below it.
// Starts at once; destroying it aborts a picture still under way.
class PictureDownload {
public:
    PictureDownload(const QString& address, const QString& folder, const QString& stem,
                    const QString& beneath);
    ~PictureDownload();
    PictureDownload(const PictureDownload&) = delete;
    PictureDownload& operator=(const PictureDownload&) = delete;

    // True once the picture is in its file or given up.
    bool Done() const;

    // Waits at most maxMs milliseconds for the picture to be done; returns Done().
    bool WaitFor(int maxMs);

    // Once Done(): the name of the file the picture was saved in; nothing when it failed.
    std::optional<QString> SavedName() const;

private:
    class PictureReceiver;
    std::shared_ptr<PictureReceiver> receiver_;
    std::unique_ptr<platform::HttpTransfer> transfer_;
};
