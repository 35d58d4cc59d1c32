#include "music/SongTransfer.h"

#include <cmath>
#include <limits>
#include <optional>

#include "app/modgetdata.h"
#include "music/MusicWindowControls.h"
#include "platform/HttpDownload.h"

namespace {

// The progress is shown at most this often: setting the texts for every piece would cost
// more than writing it.
constexpr std::chrono::milliseconds kShowEvery{50};

// A whole number, rounded as the progress arithmetic rounds (half to even). Held in 64 bits,
// so that a song beyond 21 MB still shows its percentage.
std::optional<long long> RoundWhole(double value) {
    const double rounded = std::nearbyint(value);
    if (!(std::fabs(rounded) < 9e18)) {
        return std::nullopt;
    }
    return static_cast<long long>(rounded);
}

// A single-precision number as its shortest text of at most 7 significant digits.
QString SingleText(float value) {
    return QString::number(static_cast<double>(value), 'g', 7);
}

QString Kilobytes(float bytes) {
    return SingleText(bytes / 1024.0f);
}

// The expected length: the announced one, or without an announcement what has come so far.
void SetExpectedLength(MusicWindowControls& controls, long long announced, long long written) {
    if (announced < 0) {
        controls.SetProgressMax(static_cast<float>(written));
    } else if (announced > 0) {
        // The bar takes no maximum at or below its minimum of 0.
        controls.SetProgressMax(static_cast<float>(announced));
    }
}

// Shows the bytes written; the bar refuses a value beyond its maximum, and then the bar and
// the texts keep what they showed.
void ShowProgress(MusicWindowControls& controls, long long written) {
    const auto value = static_cast<float>(written);
    if (value > controls.ProgressMax()) {
        return;
    }
    controls.SetProgressValue(value);
    const auto hundredfold = RoundWhole(static_cast<double>(value) * 100);
    const auto max = RoundWhole(controls.ProgressMax());
    if (!hundredfold || !max || *max == 0) {
        return;
    }
    controls.SetProgressCaption(QStringLiteral("下载进度") + QString::number(*hundredfold / *max) +
                                QStringLiteral("%，已下载：") + Kilobytes(value) +
                                QStringLiteral(" Kb"));
}

}  // namespace

SongTransfer::SongTransfer(MusicWindowControls& controls, const QString& address,
                           const QString& spaceFolder)
    : controls_(controls),
      windowPump_(controls.Pump()),
      download_(std::make_unique<platform::HttpDownload>(AddressOnTheWire(address),
                                                         controls.Destination(), spaceFolder)) {}

// Aborts a transfer still under way, as closing the window does; it leaves no file.
SongTransfer::~SongTransfer() = default;

void SongTransfer::PumpFor(int maxMs) {
    windowPump_.PumpFor(maxMs);
    if (finished_) {
        return;
    }
    if (download_->Done()) {
        Complete();
    } else {
        ShowArrived();
    }
}

bool SongTransfer::StopRequested() const {
    return windowPump_.StopRequested();
}

double SongTransfer::Pace() const {
    return windowPump_.Pace();
}

// From the song's first byte on, so that the previous song's final size does not stay up
// while this one comes.
void SongTransfer::ShowArrived() {
    const auto now = std::chrono::steady_clock::now();
    if (shownBytes_ > 0 && now - lastShown_ < kShowEvery) {
        return;
    }
    Show(download_->BytesWritten());
    lastShown_ = now;
}

void SongTransfer::Show(long long written) {
    if (written == shownBytes_) {
        return;
    }
    SetExpectedLength(controls_, download_->AnnouncedLength(), written);
    ShowProgress(controls_, written);
    shownBytes_ = written;
}

void SongTransfer::Complete() {
    finished_ = true;
    saved_ = download_->Saved();
    // A song that failed leaves what its progress showed last; the final line is for a file.
    if (!saved_) {
        return;
    }
    Show(download_->BytesWritten());
    controls_.SetProgressCaption(QStringLiteral("下载完成，文件大小：") +
                                 Kilobytes(controls_.ProgressValue()) + QStringLiteral(" Kb"));
}
