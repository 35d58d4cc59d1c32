#include "cli/CssCommand.h"

#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/ReadCommand.h"
#include "css/CssFetch.h"
#include "css/CssSave.h"
#include "css/CssWindowControls.h"

namespace {

// The CSS window's controls as plain values; message boxes are shown in the order they come.
class HeadlessCssWindow : public CssWindowControls {
public:
    explicit HeadlessCssWindow(CliRun& run) : run_(run) {
        run.report.InitLabel(QStringLiteral("txtcss"), QString());
    }

    QString Address() const override { return run_.options.address; }
    QString CssText() const override { return css_; }
    void SetCssText(const QString& text) override {
        css_ = text;
        run_.report.SetLabel(QStringLiteral("txtcss"), text);
    }
    void SetSaveEnabled(bool enabled) override { saveEnabled_ = enabled; }
    void ShowMessage(const QString& text, const QString& title) override {
        run_.report.ShowMessage(text, title);
    }
    platform::EventPump& Pump() override { return run_.pump; }
    QString AppFolder() const override { return run_.options.appFolder; }
    void NotesUnwritten() override { notesUnwritten_ = true; }

    bool SaveEnabled() const { return saveEnabled_; }
    bool NotesWritten() const { return !notesUnwritten_; }

private:
    CliRun& run_;
    QString css_;
    bool saveEnabled_ = false;
    bool notesUnwritten_ = false;
};

}  // namespace

int RunCssCommand(CliRun& run) {
    QStringList rest = run.options.commandOptions;
    const bool save = rest.removeAll(QStringLiteral("--save")) > 0;
    if (!rest.isEmpty()) {
        run.error = "css does not take " + rest.first().toStdString();
        return kBadUsage;
    }
    HeadlessCssWindow window(run);
    if (!RunCssFetch(window)) {
        return kRunFailed;
    }
    // The save button is pressed only when the fetch has enabled it.
    if (save && window.SaveEnabled()) {
        run.savedSomething = RunCssSave(window);
        if (!run.savedSomething) {
            return kRunFailed;
        }
    }
    if (!window.NotesWritten()) {
        SayReadingCopyUnwritten(run);
        return kRunFailed;
    }
    return 0;
}
