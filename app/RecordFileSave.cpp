#include "app/RecordFileSave.h"

#include <optional>

#include "app/RecordWindowControls.h"
#include "app/SafeNames.h"
#include "app/SpaceExistence.h"
#include "app/moddelay.h"
#include "platform/AnsiTextFile.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/ReportList.h"
#include "platform/Shell.h"
#include "reading/ReadingCopy.h"
#include "space/SaveNotes.h"

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

// Why the list of the last retrieval must not be written, or nothing when it may be.
std::optional<QString> Refusal(const RecordWindowControls::Retrieval& retrieval, int rows,
                               const QString& folder, const QString& fileName) {
    if (retrieval.spaceMissing) {
        return NoSpaceCaption(retrieval.laterLayout);
    }
    if (retrieval.unreadPages == 0) {
        return std::nullopt;
    }
    const QString failed = QStringLiteral("备份失败：有 ") +
                           QString::number(retrieval.unreadPages) +
                           QStringLiteral(" 个页面读取失败，");
    if (platform::IsNonEmptyFile(folder + fileName)) {
        return failed + QStringLiteral("原有的") + fileName + QStringLiteral("未被替换");
    }
    // A list that an incomplete retrieval left empty holds nothing worth a file, even when the
    // profile's count was read.
    if (rows == 0) {
        return failed + QStringLiteral("未写入") + fileName;
    }
    return std::nullopt;
}

// Keeps the notes of the row just written when it names anything, by record number, read
// with its cells: the list may change while the save waits.
void KeepCommentNotes(const platform::ReportList& list, int row,
                      std::vector<RecordedComment>& notes) {
    RecordedComment note{row, list.RowNote(row, kCommentArticleNote),
                         list.RowNote(row, kCommentDateNote)};
    if (!note.article.isEmpty() || !note.date.isEmpty()) {
        notes.push_back(std::move(note));
    }
}

void TellIfUnwritten(RecordWindowControls& controls, bool noted) {
    if (!noted) {
        controls.NotesUnwritten();
    }
}

}  // namespace

bool RunRecordFileSave(RecordWindowControls& controls, const RecordFileLayout& layout) {
    // The records are those of the space listed, whatever the address box holds now.
    const QString address = controls.ListedAddressOr(controls.Address());
    const QString folder = SpaceFolderPath(controls.AppFolder(), address);
    const RecordWindowControls::Retrieval retrieval = controls.LastRetrieval();
    const int listed = controls.Records().RowCount();
    if (const std::optional<QString> refusal =
            Refusal(retrieval, listed, folder, layout.fileName)) {
        controls.SetStatus(*refusal);
        if (!retrieval.spaceMissing) {
            TellIfUnwritten(controls,
                            RefreshReadingCopy(
                                controls.AppFolder(), address,
                                NoteRecordFileSave(controls.AppFolder(), address, layout.fileName,
                                                   false, -1, retrieval.unreadPages)));
        }
        if (platform::PathExists(folder)) {
            platform::OpenFolder(folder);
        }
        return false;
    }
    // Nothing to save: no folder, no empty page over an earlier one, no reading copy.
    if (listed == 0) {
        controls.SetStatus(QStringLiteral("没有留言，未写入") + layout.fileName);
        return true;
    }
    if (!platform::PathExists(folder)) {
        platform::CreateFolder(folder);
    }
    platform::AnsiTextFile file(folder + layout.fileName);
    // The count is taken once: rows added meanwhile are not written. Every row is written,
    // also past the 32767 rows a 16-bit count could hold.
    const int rows = controls.Records().RowCount();
    std::vector<RecordedComment> notes;
    for (int row = 1; row <= rows; ++row) {
        WriteRecord(controls, layout, row, file);
        if (layout.commentNotes) {
            KeepCommentNotes(controls.Records(), row, notes);
        }
    }
    const bool saved = file.Commit();
    TellIfUnwritten(controls, RefreshReadingCopy(
                                  controls.AppFolder(), address,
                                  NoteRecordFileSave(controls.AppFolder(), address, layout.fileName,
                                                     saved, rows, retrieval.unreadPages,
                                                     layout.commentNotes ? &notes : nullptr)));
    controls.SetStatus(EndStatus(controls, layout, saved, retrieval.unreadPages));
    platform::OpenFolder(folder);
    return saved;
}
