#include "cli/MusicCommand.h"

#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/ReadCommand.h"
#include "music/MusicDownload.h"
#include "music/MusicWindowControls.h"
#include "music/Playlist.h"
#include "platform/ReportList.h"

namespace {

// The music window's controls as plain values, starting as the window opens.
class HeadlessMusicWindow : public MusicWindowControls {
public:
    HeadlessMusicWindow(CliRun& run, bool skipSaved)
        : run_(run),
          address_(run.options.address),
          skipSaved_(skipSaved),
          songs_(run.report.List(QStringLiteral("LVmusic"))) {
        run.report.InitLabel(QStringLiteral("Label2"), QString());
        run.report.InitLabel(QStringLiteral("Label1"), QString());
    }

    QString Address() const override { return address_; }
    void SetAddress(const QString& address) override { address_ = address; }
    platform::ReportList& Songs() override { return songs_; }
    void SetDownloadEnabled(bool) override {}
    void SetSongStatus(const QString& caption) override {
        run_.report.SetLabel(QStringLiteral("Label2"), caption);
    }
    void SetProgressCaption(const QString& caption) override {
        run_.report.SetLabel(QStringLiteral("Label1"), caption);
    }
    float ProgressMax() const override { return max_; }
    void SetProgressMax(float max) override { max_ = max; }
    float ProgressValue() const override { return value_; }
    void SetProgressValue(float value) override { value_ = value; }
    QString Destination() const override { return destination_; }
    void SetDestination(const QString& path) override { destination_ = path; }
    platform::EventPump& Pump() override { return run_.pump; }
    QString AppFolder() const override { return run_.options.appFolder; }
    bool SkipSaved() const override { return skipSaved_; }
    void NotesUnwritten() override { notesUnwritten_ = true; }
    bool NotesWritten() const { return !notesUnwritten_; }

private:
    CliRun& run_;
    QString address_;
    bool skipSaved_;
    platform::ReportList& songs_;
    float max_ = 100;
    float value_ = 0;
    QString destination_;
    bool notesUnwritten_ = false;
};

}  // namespace

int RunMusicCommand(CliRun& run) {
    QStringList rest = run.options.commandOptions;
    const bool download = rest.removeAll(QStringLiteral("--download")) > 0;
    const bool skipSaved = rest.removeAll(QStringLiteral("--skip-saved")) > 0;
    if (!rest.isEmpty()) {
        run.error = "music does not take " + rest.first().toStdString();
        return kBadUsage;
    }
    HeadlessMusicWindow window(run, skipSaved);
    // As in the window, whose download stays disabled then: a playlist that was not read, or a
    // space that does not exist, leaves nothing to download and no folder to make.
    const bool listed = RunPlaylistRetrieval(window);
    bool saved = !download;
    if (download && listed) {
        const DownloadOutcome outcome = RunMusicDownload(window);
        saved = outcome.failed == 0;
        run.savedSomething = outcome.songs > outcome.failed;
    }
    if (!window.NotesWritten()) {
        SayReadingCopyUnwritten(run);
    }
    return listed && saved && window.NotesWritten() ? 0 : kRunFailed;
}
