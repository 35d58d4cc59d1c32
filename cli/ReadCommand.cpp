#include "cli/ReadCommand.h"

#include <unistd.h>
#include <QDir>

#include <iostream>

#include "app/SafeNames.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/SavedSpaceFolder.h"
#include "platform/FileSystem.h"
#include "platform/StagedFolder.h"
#include "reading/ReadingCopy.h"
#include "reading/ReadingNames.h"

namespace {

// The category folders and the files in them and beside them.
constexpr int kSavedFileDepth = 2;

// Names every saved file that the copy left out because its name is not UTF-8 (a space
// folder unpacked from an archive made on Chinese Windows). Returns whether there was any.
bool SayForeignNamedFiles(CliRun& run, const QString& folder) {
    const QStringList files = platform::ForeignNamedFiles(folder, kSavedFileDepth);
    for (const QString& file : files) {
        run.report.ShowMessage(QStringLiteral("文件名不是 UTF-8 编码，未能读入阅读版：") +
                                   QDir::toNativeSeparators(folder + file),
                               kSavedSpaceErrorTitle);
    }
    if (!files.isEmpty()) {
        run.report.ShowMessage(
            QStringLiteral("有 %1 个文件的文件名不是 UTF-8 编码：把文件名从 GBK 转为 UTF-8"
                           "（如 convmv -f gbk -t utf-8 -r --notest 空间文件夹）后再运行 read")
                .arg(files.size()),
            kSavedSpaceErrorTitle);
    }
    return !files.isEmpty();
}

}  // namespace

int RunReadCommand(CliRun& run) {
    if (!run.options.commandOptions.isEmpty()) {
        run.error = "read does not take " + run.options.commandOptions.first().toStdString();
        return kBadUsage;
    }
    const std::optional<QString> savedFolder = SavedSpaceFolder(run);
    if (!savedFolder) {
        return kRunFailed;
    }
    const QString& folder = *savedFolder;
    if (!WriteReadingCopy(folder, run.options.address).written) {
        run.report.ShowMessage(
            QStringLiteral("无法写入阅读版：") + QDir::toNativeSeparators(folder),
            kSavedSpaceErrorTitle);
        return kRunFailed;
    }
    run.report.SetLabel(QStringLiteral("startPage"),
                        QDir::toNativeSeparators(folder + kStartPageName));
    return SayForeignNamedFiles(run, folder) ? kRunFailed : 0;
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
