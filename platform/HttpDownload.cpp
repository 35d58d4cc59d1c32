#include "platform/HttpDownload.h"

#include <optional>

#include "platform/FileSystem.h"
#include "platform/Http.h"

namespace platform {

// Lives on the worker thread from Begin to End; the user-interface thread reads only the
// counters, and the outcome once the transfer is done.
class HttpDownload::FileReceiver : public BodyReceiver {
public:
    FileReceiver(const QString& destination, const QString& beneath)
        : destination_(destination), beneath_(beneath) {}

    bool Begin(long long announcedLength) override {
        file_ = std::make_unique<ReplacingFile>(destination_, FolderSync::WithFile, beneath_);
        announced_.store(announcedLength);
        return file_->Open();
    }

    bool Receive(const char* data, std::size_t size) override {
        if (!file_->Write(data, static_cast<qint64>(size))) {
            return false;
        }
        written_.fetch_add(static_cast<long long>(size));
        return true;
    }

    void End(const std::optional<HttpResponse>& response) override {
        // A web page answered in a song's stead (an archive's "not archived" page, a
        // placeholder of the music host) is not the song and must not replace a saved copy.
        const bool page =
            response && QString::fromStdString(response->contentType)
                            .trimmed()
                            .startsWith(QStringLiteral("text/html"), Qt::CaseInsensitive);
        const bool whole =
            response && !response->IsError() && !page && file_ && written_.load() > 0;
        saved_.store(whole && file_->Commit());
        // An uncommitted file takes its temporary file with it.
        file_.reset();
    }

    long long Written() const { return written_.load(); }
    long long Announced() const { return announced_.load(); }
    bool Saved() const { return saved_.load(); }

private:
    const QString destination_;
    const QString beneath_;
    std::unique_ptr<ReplacingFile> file_;
    std::atomic<long long> written_{0};
    std::atomic<long long> announced_{-1};
    std::atomic<bool> saved_{false};
};

HttpDownload::HttpDownload(std::string address, const QString& destination, const QString& beneath)
    : receiver_(std::make_shared<FileReceiver>(destination, beneath)),
      transfer_(std::make_unique<HttpTransfer>(std::move(address), Payload::Song, receiver_)) {}

// The transfer goes first: it aborts and waits for the worker, which ends the receiver.
HttpDownload::~HttpDownload() {
    transfer_.reset();
}

bool HttpDownload::Done() const {
    return transfer_->Done();
}

long long HttpDownload::BytesWritten() const {
    return receiver_->Written();
}

long long HttpDownload::AnnouncedLength() const {
    return receiver_->Announced();
}

bool HttpDownload::Saved() const {
    return Done() && receiver_->Saved();
}

}  // namespace platform
