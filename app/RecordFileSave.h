#pragma once

#include <QString>
#include <QStringList>

class RecordWindowControls;

// The notes a comment row carries beside its cells (platform::ReportList::RowNote): the
// address of the article commented on and the comment's date, each empty when unknown.
inline constexpr int kCommentArticleNote = 1;
inline constexpr int kCommentDateNote = 2;

// The page a record-file save writes: its file name in the space folder and the labels of
// the lines that carry sub-items 1, 2, … of each row.
struct RecordFileLayout {
    QString fileName;
    QStringList cellLabels;
    // The rows are comments: their notes go into the save record by record number.
    bool commentNotes = false;
};

// The "备份留言" run of the message-board and comment windows: writes every row of the list
// as one record ("N0." + row position, one labelled line per cell, then 14 blanks and
// "<br><br>") into the file in the space folder, in code page 936 with CR LF, pausing 100 ms
// per record, then reports the end and opens the space folder. The earlier file is replaced
// only once every record is written, and never by a list that pages missing from the last
// retrieval left incomplete; nothing is written for a retrieval that found no space or read
// no page. When the list is not saved for such a reason, or the folder or the file cannot be
// written, the status says so and false is returned. Throws platform::RunStopped
// when the pump asks the run to stop, leaving the earlier file whole.
bool RunRecordFileSave(RecordWindowControls& controls, const RecordFileLayout& layout);
