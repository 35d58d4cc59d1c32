#include "cli/SurveyCommand.h"

#include <array>

#include "app/Captions.h"
#include "app/SpaceSurvey.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "platform/ReportList.h"

namespace {

// The main window's controls as plain values, starting with the captions the window shows.
class HeadlessMainWindow : public SurveyControls {
public:
    explicit HeadlessMainWindow(CliRun& run)
        : run_(run),
          address_(run.options.address),
          categories_(run.report.List(QStringLiteral("LVarticle"))),
          songs_(run.report.List(QStringLiteral("LVmusic"))) {
        for (std::size_t i = 0; i < kPanelLabelNames.size(); ++i) {
            run.report.InitLabel(kPanelLabelNames[i], labels_[i]);
        }
    }

    QString Address() const override { return address_; }
    void SetAddress(const QString& address) override { address_ = address; }
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Songs() override { return songs_; }
    QString Label(SurveyLabel label) const override { return labels_[Index(label)]; }
    void SetLabel(SurveyLabel label, const QString& caption) override {
        labels_[Index(label)] = caption;
        run_.report.SetLabel(kPanelLabelNames[Index(label)], caption);
    }
    void SetSurveyEnabled(bool) override {}
    platform::EventPump& Pump() override { return run_.pump; }

private:
    static std::size_t Index(SurveyLabel label) { return static_cast<std::size_t>(label); }

    CliRun& run_;
    QString address_;
    platform::ReportList& categories_;
    platform::ReportList& songs_;
    std::array<QString, 6> labels_ = kPanelCaptions;
};

}  // namespace

int RunSurveyCommand(CliRun& run) {
    if (!run.options.commandOptions.isEmpty()) {
        run.error = "survey takes no options";
        return kBadUsage;
    }
    HeadlessMainWindow window(run);
    const SurveyOutcome outcome = RunSpaceSurvey(window, run.options.appFolder);
    return outcome.spaceMissing || outcome.unreadPages > 0 ? kRunFailed : 0;
}
