#include "pictures/PictureDownload.h"

#include <mutex>
#include <string>

#include "app/modgetdata.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "space/PictureType.h"

// Lives on the worker thread from Begin to End; the user-interface thread reads only the
// outcome, once the transfer is done.
class PictureDownload::PictureReceiver : public platform::BodyReceiver {
public:
    PictureReceiver(const QString& folder, const QString& stem, const QString& beneath)
        : folder_(folder), stem_(stem), beneath_(beneath) {}

    bool Begin(long long) override {
        head_.clear();
        file_.reset();
        received_ = 0;
        return true;
    }

    // The first bytes are held until they tell the kind of picture, which names the file.
    bool Receive(const char* data, std::size_t size) override {
        received_ += static_cast<long long>(size);
        if (received_ > kLargestPicture) {
            return false;
        }
        if (file_) {
            return file_->Write(data, static_cast<qint64>(size));
        }
        head_.append(data, size);
        return head_.size() < kPictureHeadBytes || Start();
    }

    void End(const std::optional<platform::HttpResponse>& response) override {
        const bool answered = response && !response->IsError();
        // A picture shorter than the head tells its kind only now.
        if (answered && !file_ && !head_.empty() && !Start()) {
            file_.reset();
        }
        const bool saved = answered && file_ && file_->Commit();
        // An uncommitted file takes its temporary file with it.
        file_.reset();
        std::lock_guard lock(mutex_);
        if (saved) {
            savedName_ = name_;
        }
    }

    std::optional<QString> SavedName() const {
        std::lock_guard lock(mutex_);
        return savedName_;
    }

private:
    // Opens the file for the kind the head shows and writes the head. False for a head that
    // is no picture's, or a file that cannot be made.
    bool Start() {
        const std::optional<PictureType> type = PictureTypeOf(head_);
        if (!type) {
            return false;
        }
        name_ = stem_ + PictureExtension(*type);
        file_ = std::make_unique<platform::ReplacingFile>(
            folder_ + platform::kPathSeparator + name_, platform::FolderSync::WithFile, beneath_);
        return file_->Open() && file_->Write(head_.data(), static_cast<qint64>(head_.size()));
    }

    const QString folder_;
    const QString stem_;
    const QString beneath_;
    std::string head_;
    QString name_;
    long long received_ = 0;
    std::unique_ptr<platform::ReplacingFile> file_;
    mutable std::mutex mutex_;
    std::optional<QString> savedName_;
};

PictureDownload::PictureDownload(const QString& address, const QString& folder, const QString& stem,
                                 const QString& beneath)
    : receiver_(std::make_shared<PictureReceiver>(folder, stem, beneath)),
      transfer_(std::make_unique<platform::HttpTransfer>(AddressOnTheWire(address),
                                                         platform::Payload::Song, receiver_)) {}

// The transfer goes first: it aborts and waits for the worker, which ends the receiver.
PictureDownload::~PictureDownload() {
    transfer_.reset();
}

bool PictureDownload::Done() const {
    return transfer_->Done();
}

bool PictureDownload::WaitFor(int maxMs) {
    return transfer_->WaitFor(maxMs);
}

std::optional<QString> PictureDownload::SavedName() const {
    return Done() ? receiver_->SavedName() : std::nullopt;
}
