#include "css/CssSave.h"

#include <QDir>

#include "app/SafeNames.h"
#include "app/SpaceAddress.h"
#include "css/CssWindowControls.h"
#include "platform/FileSystem.h"
#include "reading/ReadingCopy.h"
#include "space/SaveNotes.h"

namespace {

const QString kErrorTitle = QStringLiteral("错误提示");
const QString kProgramTitle = QStringLiteral("Pagewren");
const QString kFileName = QStringLiteral("空间模板.css");

// The save asks for one character more than the fetch: a space folder name of at least one.
bool IsSavableAddress(const QString& address) {
    return address.size() > kServiceRoot.size() + 1;
}

// The "csscode" folder is made only when a listing of its files finds none.
void MakeCssCodeFolder(const QString& appFolder) {
    const QString folder = appFolder + platform::kPathSeparator + QStringLiteral("csscode");
    if (QDir(folder).entryList(QDir::Files).isEmpty()) {
        platform::CreateFolder(folder);
    }
}

}  // namespace

bool RunCssSave(CssWindowControls& controls) {
    // The sheet goes to the space it was fetched for, whatever address was typed since.
    const QString address = controls.ListedAddressOr(controls.Address());
    if (!IsSavableAddress(address)) {
        controls.ShowMessage(QStringLiteral("请填写正确的百度空间地址"), kErrorTitle);
        return false;
    }
    MakeCssCodeFolder(controls.AppFolder());
    const QString sheet = controls.CssText();
    if (sheet.isEmpty()) {
        controls.ShowMessage(QStringLiteral("没有获取到CSS代码，请填写正确的百度空间地址"),
                             kProgramTitle);
        return false;
    }
    const QString folder = SpaceFolderPath(controls.AppFolder(), address);
    if (!platform::PathExists(folder)) {
        platform::CreateFolder(folder);
    }
    const QString path = folder + kFileName;
    const bool written = platform::WriteAnsiLines(path, {sheet});
    // The reading copy shows the sheet, or says that its last save failed.
    if (!RefreshReadingCopy(controls.AppFolder(), address,
                            NoteFileSave(controls.AppFolder(), address, kFileName, written))) {
        controls.NotesUnwritten();
    }
    if (!written) {
        controls.ShowMessage(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(path),
                             kErrorTitle);
        return false;
    }
    platform::SyncFolder(folder);
    return true;
}
