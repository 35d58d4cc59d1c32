#include "cli/CssCommand.h"

#include <utility>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "css/CssFetch.h"
#include "css/CssSave.h"
#include "css/CssWindowControls.h"
#include "platform/EventPump.h"

namespace {

// The CSS window's controls as plain values; message boxes are kept in the order shown.
class HeadlessCssWindow : public CssWindowControls {
public:
    explicit HeadlessCssWindow(const CliOptions& options)
        : address_(options.address), appFolder_(options.appFolder), pump_(options.pace) {}

    QString Address() const override { return address_; }
    QString CssText() const override { return css_; }
    void SetCssText(const QString& text) override { css_ = text; }
    void SetSaveEnabled(bool enabled) override { saveEnabled_ = enabled; }
    void ShowMessage(const QString& text, const QString& title) override {
        messages_.emplace_back(text, title);
    }
    platform::EventPump& Pump() override { return pump_; }
    QString AppFolder() const override { return appFolder_; }

    bool SaveEnabled() const { return saveEnabled_; }

    void Report(CliReport& report) const {
        report.AddLabel(QStringLiteral("txtcss"), css_);
        for (const auto& [text, title] : messages_) {
            report.AddMessage(text, title);
        }
    }

private:
    QString address_;
    QString appFolder_;
    QString css_;
    bool saveEnabled_ = false;
    std::vector<std::pair<QString, QString>> messages_;
    platform::SleepingPump pump_;
};

}  // namespace

int RunCssCommand(const CliOptions& options, CliReport& report, std::string& error) {
    QStringList rest = options.commandOptions;
    const bool save = rest.removeAll(QStringLiteral("--save")) > 0;
    if (!rest.isEmpty()) {
        error = "css does not take " + rest.first().toStdString();
        return 2;
    }
    HeadlessCssWindow window(options);
    RunCssFetch(window);
    // The save button is pressed only when the fetch has enabled it.
    if (save && window.SaveEnabled()) {
        RunCssSave(window);
    }
    window.Report(report);
    return 0;
}
