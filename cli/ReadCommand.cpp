#include "cli/ReadCommand.h"

#include <unistd.h>
#include <QDir>

#include <iostream>

#include "app/SafeNames.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "platform/FileSystem.h"
#include "reading/ReadingCopy.h"
#include "reading/ReadingNames.h"

namespace {

const QString kErrorTitle = QStringLiteral("错误提示");

}  // namespace

int RunReadCommand(CliRun& run) {
    if (!run.options.commandOptions.isEmpty()) {
        run.error = "read does not take " + run.options.commandOptions.first().toStdString();
        return kBadUsage;
    }
    const QString address = run.options.address;
    const QString folder = SpaceFolderPath(run.options.appFolder, address);
    if (SpaceFolderName(address).isEmpty() || !platform::PathExists(folder)) {
        run.report.ShowMessage(
            QStringLiteral("没有这个空间保存的文件：") + QDir::toNativeSeparators(folder),
            kErrorTitle);
        return kRunFailed;
    }
    if (!WriteReadingCopy(folder, address).written) {
        run.report.ShowMessage(
            QStringLiteral("无法写入阅读版：") + QDir::toNativeSeparators(folder), kErrorTitle);
        return kRunFailed;
    }
    run.report.SetLabel(QStringLiteral("startPage"),
                        QDir::toNativeSeparators(folder + kStartPageName));
    return 0;
}

void SayReadingCopyUnwritten(const CliRun& run) {
    const QString folder = SpaceFolderPath(run.options.appFolder, run.options.address);
    // Its own line, after any progress line left open on a terminal.
    std::cerr
        << (isatty(STDERR_FILENO) == 1 ? "\n" : "") << "pagewren-cli: "
        << (QStringLiteral("无法写入阅读版：") + QDir::toNativeSeparators(folder)).toStdString()
        << "\n"
        << std::flush;
}
