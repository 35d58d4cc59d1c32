#include "cli/ExportCommand.h"

#include <QDir>
#include <QFileInfo>
#include <map>

#include "app/SafeNames.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/SavedSpaceFolder.h"
#include "export/Export.h"
#include "platform/FileSystem.h"

namespace {

using Exporter = ExportOutcome (*)(const QString&, const SavedSpace&, const QString&);

const std::map<QString, Exporter> kTargets = {
    {QStringLiteral("hugo"), &ExportHugo},
    {QStringLiteral("wxr"), &ExportWxr},
    {QStringLiteral("epub"), &ExportEpub},
};

struct ExportRequest {
    Exporter exporter = nullptr;
    QString out;
};

// The target and the path the options name; nothing, with run.error set, when they are
// missing, unknown or followed by anything else.
std::optional<ExportRequest> ReadRequest(CliRun& run) {
    QStringList options = run.options.commandOptions;
    const QString target = TakeOption(options, QStringLiteral("--to"), {}, run.error);
    const QString out = TakeOption(options, QStringLiteral("--out"), {}, run.error);
    if (!run.error.empty()) {
        return std::nullopt;
    }
    if (!options.isEmpty()) {
        run.error = "export does not take " + options.first().toStdString();
    } else if (target.isEmpty()) {
        run.error = "export needs --to hugo, wxr or epub";
    } else if (!kTargets.contains(target)) {
        run.error = "unknown export target " + target.toStdString() + " (hugo, wxr or epub)";
    } else if (out.isEmpty()) {
        run.error = "export needs --out PATH";
    }
    if (!run.error.empty()) {
        return std::nullopt;
    }
    return ExportRequest{kTargets.at(target), QFileInfo(out).absoluteFilePath()};
}

}  // namespace

int RunExportCommand(CliRun& run) {
    const std::optional<ExportRequest> request = ReadRequest(run);
    if (!request) {
        return kBadUsage;
    }
    const std::optional<QString> savedFolder = SavedSpaceFolder(run);
    if (!savedFolder) {
        return kRunFailed;
    }
    const QString& folder = *savedFolder;
    QString why;
    const std::optional<SavedSpace> space = LoadSavedSpace(folder, &why);
    if (!space) {
        run.report.ShowMessage(why, kSavedSpaceErrorTitle);
        return kRunFailed;
    }
    const ExportOutcome outcome = request->exporter(folder, *space, request->out);
    if (!outcome.written) {
        run.report.ShowMessage(outcome.message, kSavedSpaceErrorTitle);
        return kRunFailed;
    }
    run.report.SetLabel(QStringLiteral("articles"), QString::number(outcome.articles));
    run.report.SetLabel(QStringLiteral("pictures"), QString::number(outcome.pictures));
    run.report.SetLabel(QStringLiteral("export"), QDir::toNativeSeparators(request->out));
    return 0;
}
