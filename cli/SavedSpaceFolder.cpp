#include "cli/SavedSpaceFolder.h"

#include <QDir>

#include "app/SafeNames.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "platform/FileSystem.h"

std::optional<QString> SavedSpaceFolder(CliRun& run) {
    const QString address = run.options.address;
    const QString folder = SpaceFolderPath(run.options.appFolder, address);
    if (SpaceFolderName(address).isEmpty() || !platform::PathExists(folder)) {
        run.report.ShowMessage(
            QStringLiteral("没有这个空间保存的文件：") + QDir::toNativeSeparators(folder),
            kSavedSpaceErrorTitle);
        return std::nullopt;
    }
    return folder;
}
