#include "cli/RecordsCommand.h"

#include "app/Captions.h"
#include "app/RecordWindowControls.h"
#include "board/MessageBoard.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/ReadCommand.h"
#include "comments/ArticleComments.h"
#include "platform/ReportList.h"

namespace {

// The window's controls as plain values, starting as the window opens.
class HeadlessRecordWindow : public RecordWindowControls {
public:
    HeadlessRecordWindow(CliRun& run, const QString& listName)
        : run_(run), records_(run.report.List(listName)) {
        run.report.InitLabel(QStringLiteral("lblmsg"), kWaitingCaption);
    }

    QString Address() const override { return run_.options.address; }
    platform::ReportList& Records() override { return records_; }
    void SetStatus(const QString& text) override {
        run_.report.SetLabel(QStringLiteral("lblmsg"), text);
    }
    void SetSaveEnabled(bool enabled) override { saveEnabled_ = enabled; }
    bool SaveEnabled() const { return saveEnabled_; }
    platform::EventPump& Pump() override { return run_.pump; }
    QString AppFolder() const override { return run_.options.appFolder; }
    void NotesUnwritten() override { notesUnwritten_ = true; }
    bool NotesWritten() const { return !notesUnwritten_; }

private:
    CliRun& run_;
    platform::ReportList& records_;
    bool saveEnabled_ = false;
    bool notesUnwritten_ = false;
};

}  // namespace

int RunRecordsCommand(CliRun& run) {
    QStringList rest = run.options.commandOptions;
    const bool save = rest.removeAll(QStringLiteral("--save")) > 0;
    if (!rest.isEmpty()) {
        run.error =
            run.options.command.toStdString() + " does not take " + rest.first().toStdString();
        return kBadUsage;
    }
    const bool board = run.options.command == QLatin1String("board");
    HeadlessRecordWindow window(run,
                                board ? QStringLiteral("LVboard") : QStringLiteral("LVcritique"));
    board ? RunBoardRetrieval(window) : RunCommentRetrieval(window);
    const RecordWindowControls::Retrieval& retrieval = window.LastRetrieval();
    bool saved = true;
    // As in the window, a retrieval that ends early leaves the save button disabled.
    if (save && window.SaveEnabled()) {
        saved = board ? RunBoardSave(window) : RunCommentSave(window);
        run.savedSomething = saved && window.Records().RowCount() > 0;
    }
    if (!window.NotesWritten()) {
        SayReadingCopyUnwritten(run);
    }
    const bool failed =
        !saved || retrieval.spaceMissing || retrieval.unreadPages > 0 || !window.NotesWritten();
    return failed ? kRunFailed : 0;
}
