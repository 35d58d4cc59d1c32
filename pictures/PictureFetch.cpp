#include "pictures/PictureFetch.h"

#include <QHash>
#include <optional>

#include "pictures/PictureDownload.h"
#include "pictures/SpacePhotos.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "space/PictureNames.h"

namespace {

// How long a wait for a picture's answer lasts before window events are handled again.
constexpr int kPollMs = 10;

class PictureRun {
public:
    PictureRun(const PictureSetting& setting, platform::EventPump& pump)
        : setting_(setting), pump_(pump), folder_(setting.spaceFolder + kPictureFolderName) {}

    PictureOutcome Run(const QStringList& articlePictures) {
        for (const QString& address : articlePictures) {
            Want(address).inArticles = true;
        }
        AddPhotos();
        for (std::size_t i = 0; i < outcome_.pictures.size(); ++i) {
            Fetch(outcome_.pictures[i]);
        }
        return std::move(outcome_);
    }

private:
    // The picture of the address in the list, added when it is not there yet.
    RecordedPicture& Want(const QString& address) {
        const auto found = index_.constFind(address);
        if (found != index_.constEnd()) {
            return outcome_.pictures[*found];
        }
        index_.insert(address, outcome_.pictures.size());
        RecordedPicture& picture = outcome_.pictures.emplace_back();
        picture.address = address;
        return picture;
    }

    void AddPhotos() {
        const std::optional<SpacePhotos> photos =
            ListSpacePhotos(setting_.spaceAddress, [this] { Wait(); });
        if (!photos) {
            return;
        }
        // The index was asked: the first picture waits its turn after it.
        ++requested_;
        outcome_.albumPartial = photos->failed;
        for (const SpacePhoto& photo : photos->photos) {
            RecordedPicture& picture = Want(photo.address);
            picture.inAlbum = true;
            picture.captured = photo.captured;
        }
    }

    void Fetch(RecordedPicture& picture) {
        const QString stem = PictureFileStem(picture.address);
        const std::optional<QString> earlier =
            setting_.skipSaved ? EarlierFile(stem) : std::nullopt;
        if (earlier) {
            picture.outcome = RowOutcome::Skipped;
            picture.file = Relative(*earlier);
            ++outcome_.skipped;
            return;
        }
        if (requested_ > 0) {
            Wait();
        }
        ++requested_;
        ShowProgress();
        if (!platform::PathExists(folder_)) {
            platform::CreateFolder(folder_);
        }
        const std::optional<QString> saved = Download(picture.address, stem);
        picture.outcome = saved ? RowOutcome::Saved : RowOutcome::Failed;
        ++(saved ? outcome_.saved : outcome_.failed);
        // A picture that failed keeps its earlier copy, if any, for the reading copy.
        const std::optional<QString> file = saved ? saved : EarlierFile(stem);
        picture.file = file ? Relative(*file) : QString();
    }

    std::optional<QString> Download(const QString& address, const QString& stem) {
        PictureDownload download(address, folder_, stem, setting_.spaceFolder);
        while (!download.WaitFor(kPollMs)) {
            pump_.PumpFor(0);
            if (pump_.StopRequested()) {
                // The download's end aborts it and leaves no file.
                throw platform::RunStopped{};
            }
        }
        return download.SavedName();
    }

    std::optional<QString> EarlierFile(const QString& stem) const {
        for (const QString& name : PictureFileNames(stem)) {
            if (platform::IsNonEmptyFile(folder_ + platform::kPathSeparator + name,
                                         setting_.spaceFolder)) {
                return name;
            }
        }
        return std::nullopt;
    }

    static QString Relative(const QString& name) { return kPictureFolderName + QChar('/') + name; }

    void Wait() { Delay(1, setting_.wait, pump_); }

    void ShowProgress() {
        if (setting_.showStatus) {
            setting_.showStatus(
                QStringLiteral("共有图片") + QString::number(outcome_.pictures.size()) +
                QStringLiteral("张，正在保存第") +
                QString::number(outcome_.saved + outcome_.failed + outcome_.skipped + 1) +
                QStringLiteral("张"));
        }
    }

    const PictureSetting& setting_;
    platform::EventPump& pump_;
    const QString folder_;
    PictureOutcome outcome_;
    QHash<QString, std::size_t> index_;
    int requested_ = 0;  // requests made, the index's included
};

}  // namespace

QString PictureOutcome::StatusNote() const {
    if (saved + failed + skipped == 0 && !albumPartial) {
        return {};
    }
    QStringList parts{QStringLiteral("图片已保存 ") + QString::number(saved) +
                      QStringLiteral(" 张")};
    if (failed > 0) {
        parts << QString::number(failed) + QStringLiteral(" 张图片保存失败");
    }
    if (skipped > 0) {
        parts << QStringLiteral("已跳过 ") + QString::number(skipped) + QStringLiteral(" 张图片");
    }
    if (albumPartial) {
        parts << QStringLiteral("相册索引读取失败，可能有照片未保存");
    }
    return parts.join(QStringLiteral("，"));
}

PictureOutcome FetchPictures(const QStringList& articlePictures, const PictureSetting& setting,
                             platform::EventPump& pump) {
    return PictureRun(setting, pump).Run(articlePictures);
}
