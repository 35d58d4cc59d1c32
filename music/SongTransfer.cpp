#include "music/SongTransfer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "app/modgetdata.h"
#include "music/MusicWindowControls.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"

namespace {

// The body is handed to the file in pieces this large, with window events handled after each.
constexpr std::size_t kPieceBytes = 1024;

// A whole number held in 32 bits, rounded as the progress arithmetic rounds (half to even).
std::optional<std::int32_t> Round32(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

// A single-precision number as its shortest text of at most 7 significant digits.
QString SingleText(float value) {
    return QString::number(static_cast<double>(value), 'g', 7);
}

QString Kilobytes(float bytes) {
    return SingleText(bytes / 1024.0f);
}

// The expected length: the announced one, or without an announcement the body's own.
void SetExpectedLength(MusicWindowControls& controls, const platform::HttpResponse& response) {
    if (response.contentLength.empty()) {
        controls.SetProgressMax(static_cast<float>(response.body.size()));
        return;
    }
    const auto length = Round32(std::strtod(response.contentLength.c_str(), nullptr));
    // The bar takes no maximum at or below its minimum of 0.
    if (length && *length > 0) {
        controls.SetProgressMax(static_cast<float>(*length));
    }
}

// Shows the bytes written; the bar refuses a value beyond its maximum, and then the bar and
// the texts keep what they showed.
void ShowProgress(MusicWindowControls& controls, qint64 written) {
    const auto value = static_cast<float>(written);
    if (value > controls.ProgressMax()) {
        return;
    }
    controls.SetProgressValue(value);
    const auto hundredfold = Round32(static_cast<double>(value) * 100);
    const auto max = Round32(controls.ProgressMax());
    if (!hundredfold || !max || *max == 0) {
        return;
    }
    controls.SetProgressCaption(QStringLiteral("下载进度") + QString::number(*hundredfold / *max) +
                                QStringLiteral("%，已下载：") + Kilobytes(value) +
                                QStringLiteral(" Kb"));
}

// Writes the body to the destination piece by piece. Returns false when the file could not be
// written in full; an earlier file there then stays as it was.
bool WriteSong(MusicWindowControls& controls, platform::EventPump& pump,
               const platform::HttpResponse& response) {
    platform::ReplacingFile file(controls.Destination());
    if (!file.Open()) {
        return false;
    }
    SetExpectedLength(controls, response);
    const std::string& body = response.body;
    for (std::size_t offset = 0; offset < body.size();) {
        const std::size_t piece = std::min(kPieceBytes, body.size() - offset);
        if (!file.Write(body.data() + offset, static_cast<qint64>(piece))) {
            return false;
        }
        offset += piece;
        pump.PumpFor(0);
        if (pump.StopRequested()) {
            throw platform::RunStopped{};
        }
        ShowProgress(controls, file.Position());
    }
    if (!file.Commit()) {
        return false;
    }
    controls.SetProgressCaption(QStringLiteral("下载完成，文件大小：") +
                                Kilobytes(controls.ProgressValue()) + QStringLiteral(" Kb"));
    return true;
}

}  // namespace

SongTransfer::SongTransfer(MusicWindowControls& controls, const QString& address)
    : controls_(controls),
      windowPump_(controls.Pump()),
      transfer_(std::make_unique<platform::HttpTransfer>(AddressOnTheWire(address),
                                                         platform::Payload::Song)) {}

// Aborts a transfer still under way, as closing the window does.
SongTransfer::~SongTransfer() = default;

void SongTransfer::PumpFor(int maxMs) {
    windowPump_.PumpFor(maxMs);
    if (!finished_ && transfer_->Done()) {
        Complete();
    }
}

bool SongTransfer::StopRequested() const {
    return windowPump_.StopRequested();
}

double SongTransfer::Pace() const {
    return windowPump_.Pace();
}

void SongTransfer::Complete() {
    // Marked first: the write below handles window events, and must not start again.
    finished_ = true;
    const std::optional<platform::HttpResponse> response = transfer_->TakeResponse();
    // An error page or an empty answer is not the song; like a refused or cut-off transfer
    // it leaves no file.
    if (!response || !response->IsPage()) {
        return;
    }
    saved_ = WriteSong(controls_, windowPump_, *response);
}
