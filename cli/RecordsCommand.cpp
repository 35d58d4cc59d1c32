#include "cli/RecordsCommand.h"

#include "app/Captions.h"
#include "app/RecordWindowControls.h"
#include "board/MessageBoard.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "comments/ArticleComments.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

namespace {

// The window's controls as plain values, starting as the window opens.
class HeadlessRecordWindow : public RecordWindowControls {
public:
    explicit HeadlessRecordWindow(const CliOptions& options)
        : address_(options.address), appFolder_(options.appFolder), pump_(options.pace) {}

    QString Address() const override { return address_; }
    platform::ReportList& Records() override { return records_; }
    void SetStatus(const QString& text) override { status_ = text; }
    void SetSaveEnabled(bool enabled) override { saveEnabled_ = enabled; }
    bool SaveEnabled() const { return saveEnabled_; }
    platform::EventPump& Pump() override { return pump_; }
    QString AppFolder() const override { return appFolder_; }

    void Report(CliReport& report, const QString& listName) const {
        report.AddList(listName, records_);
        report.AddLabel(QStringLiteral("lblmsg"), status_);
    }

private:
    QString address_;
    QString appFolder_;
    platform::MemoryList records_;
    QString status_ = kWaitingCaption;
    bool saveEnabled_ = false;
    platform::SleepingPump pump_;
};

}  // namespace

int RunRecordsCommand(const CliOptions& options, CliReport& report, std::string& error) {
    QStringList rest = options.commandOptions;
    const bool save = rest.removeAll(QStringLiteral("--save")) > 0;
    if (!rest.isEmpty()) {
        error = options.command.toStdString() + " does not take " + rest.first().toStdString();
        return 2;
    }
    const bool board = options.command == QLatin1String("board");
    HeadlessRecordWindow window(options);
    board ? RunBoardRetrieval(window) : RunCommentRetrieval(window);
    bool saved = true;
    // As in the window, a retrieval that ends early leaves the save button disabled.
    if (save && window.SaveEnabled()) {
        saved = board ? RunBoardSave(window) : RunCommentSave(window);
    }
    window.Report(report, board ? QStringLiteral("LVboard") : QStringLiteral("LVcritique"));
    return saved ? 0 : 1;
}
