#include "app/RecordFileSave.h"

#include "app/RecordWindowControls.h"
#include "app/SafeNames.h"
#include "app/moddelay.h"
#include "platform/AnsiTextFile.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/ReportList.h"
#include "platform/Shell.h"

namespace {

// The record's closing line: the first "<br>" stands in column 15, the second print zone.
const QString kRecordEnd = QString(14, QChar(' ')) + QStringLiteral("<br><br>");

QString RowCountText(RecordWindowControls& controls) {
    return QString::number(controls.Records().RowCount());
}

void WriteRecord(RecordWindowControls& controls, const RecordFileLayout& layout, int row,
                 platform::AnsiTextFile& file) {
    controls.SetStatus(QStringLiteral("共 ") + RowCountText(controls) +
                       QStringLiteral("条留言，正在备份第") + QString::number(row) +
                       QStringLiteral("留言"));
    file.WriteLine(QStringLiteral("N0.") + QString::number(row));
    Delay(1, QStringLiteral("100"), controls.Pump());
    for (int cell = 1; cell <= layout.cellLabels.size(); ++cell) {
        file.WriteLine(layout.cellLabels[cell - 1] + controls.Records().Cell(row, cell));
    }
    file.WriteLine(kRecordEnd);
}

QString EndStatus(RecordWindowControls& controls, const RecordFileLayout& layout, bool saved,
                  int unread) {
    if (!saved) {
        return QStringLiteral("备份失败：无法写入") + layout.fileName;
    }
    if (unread > 0) {
        return RowCountText(controls) + QStringLiteral(" 条留言已备份，其中 ") +
               QString::number(unread) + QStringLiteral(" 个页面读取失败");
    }
    return RowCountText(controls) + QStringLiteral(" 条留言全部备份完毕！");
}

}  // namespace

bool RunRecordFileSave(RecordWindowControls& controls, const RecordFileLayout& layout) {
    const QString folder = SpaceFolderPath(controls.AppFolder(), controls.Address());
    if (!platform::PathExists(folder)) {
        platform::CreateFolder(folder);
    }
    const int unread = controls.UnreadPages();
    if (unread > 0 && platform::IsNonEmptyFile(folder + layout.fileName)) {
        controls.SetStatus(QStringLiteral("备份失败：有 ") + QString::number(unread) +
                           QStringLiteral(" 个页面读取失败，原有的") + layout.fileName +
                           QStringLiteral("未被替换"));
        platform::OpenFolder(folder);
        return false;
    }
    platform::AnsiTextFile file(folder + layout.fileName);
    // The count is taken once: rows added meanwhile are not written. Every row is written,
    // also past the 32767 rows a 16-bit count could hold.
    const int rows = controls.Records().RowCount();
    for (int row = 1; row <= rows; ++row) {
        WriteRecord(controls, layout, row, file);
    }
    const bool saved = file.Commit();
    controls.SetStatus(EndStatus(controls, layout, saved, unread));
    platform::OpenFolder(folder);
    return saved;
}
