#include "cli/MusicCommand.h"

#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "music/MusicDownload.h"
#include "music/MusicWindowControls.h"
#include "music/Playlist.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

namespace {

// The music window's controls as plain values, starting as the window opens.
class HeadlessMusicWindow : public MusicWindowControls {
public:
    explicit HeadlessMusicWindow(const CliOptions& options)
        : address_(options.address), appFolder_(options.appFolder), pump_(options.pace) {}

    QString Address() const override { return address_; }
    void SetAddress(const QString& address) override { address_ = address; }
    platform::ReportList& Songs() override { return songs_; }
    void SetDownloadEnabled(bool) override {}
    void SetSongStatus(const QString& caption) override { songStatus_ = caption; }
    void SetProgressCaption(const QString& caption) override { progress_ = caption; }
    float ProgressMax() const override { return max_; }
    void SetProgressMax(float max) override { max_ = max; }
    float ProgressValue() const override { return value_; }
    void SetProgressValue(float value) override { value_ = value; }
    QString Destination() const override { return destination_; }
    void SetDestination(const QString& path) override { destination_ = path; }
    platform::EventPump& Pump() override { return pump_; }
    QString AppFolder() const override { return appFolder_; }

    void Report(CliReport& report) const {
        report.AddList(QStringLiteral("LVmusic"), songs_);
        report.AddLabel(QStringLiteral("Label2"), songStatus_);
        report.AddLabel(QStringLiteral("Label1"), progress_);
    }

private:
    QString address_;
    QString appFolder_;
    platform::MemoryList songs_;
    QString songStatus_;
    QString progress_;
    float max_ = 100;
    float value_ = 0;
    QString destination_;
    platform::SleepingPump pump_;
};

}  // namespace

int RunMusicCommand(const CliOptions& options, CliReport& report, std::string& error) {
    QStringList rest = options.commandOptions;
    const bool download = rest.removeAll(QStringLiteral("--download")) > 0;
    if (!rest.isEmpty()) {
        error = "music does not take " + rest.first().toStdString();
        return 2;
    }
    HeadlessMusicWindow window(options);
    RunPlaylistRetrieval(window);
    if (download) {
        RunMusicDownload(window);
    }
    window.Report(report);
    return 0;
}
