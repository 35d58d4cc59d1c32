#include "cli/SurveyCommand.h"

#include <array>

#include "app/Captions.h"
#include "app/SpaceSurvey.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

namespace {

// The main window's controls as plain values, starting with the captions the window shows.
class HeadlessMainWindow : public SurveyControls {
public:
    HeadlessMainWindow(const QString& address, double pace) : address_(address), pump_(pace) {}

    QString Address() const override { return address_; }
    void SetAddress(const QString& address) override { address_ = address; }
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Songs() override { return songs_; }
    QString Label(SurveyLabel label) const override { return labels_[Index(label)]; }
    void SetLabel(SurveyLabel label, const QString& caption) override {
        labels_[Index(label)] = caption;
    }
    void SetSurveyEnabled(bool) override {}
    platform::EventPump& Pump() override { return pump_; }

    void Report(CliReport& report) const {
        report.AddList(QStringLiteral("LVarticle"), categories_);
        report.AddList(QStringLiteral("LVmusic"), songs_);
        for (std::size_t i = 0; i < kPanelLabelNames.size(); ++i) {
            report.AddLabel(kPanelLabelNames[i], labels_[i]);
        }
    }

private:
    static std::size_t Index(SurveyLabel label) { return static_cast<std::size_t>(label); }

    QString address_;
    platform::MemoryList categories_;
    platform::MemoryList songs_;
    std::array<QString, 6> labels_ = kPanelCaptions;
    platform::SleepingPump pump_;
};

}  // namespace

int RunSurveyCommand(const CliOptions& options, CliReport& report, std::string& error) {
    if (!options.commandOptions.isEmpty()) {
        error = "survey takes no options";
        return 2;
    }
    HeadlessMainWindow window(options.address, options.pace);
    RunSpaceSurvey(window, options.appFolder);
    window.Report(report);
    return 0;
}
