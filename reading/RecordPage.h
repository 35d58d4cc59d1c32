#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One record of a saved board or comment page: its number and its labelled lines.
struct SavedRecord {
    QString number;
    std::vector<std::pair<QString, QString>> lines;  // label (with its "："), value
};

// Reads the records of a saved board or comment page: each begins with "N0." and its number
// and ends with the "<br><br>" line; a line of three blanks, a label and "：" starts a field,
// any other line continues the field before it (a cell's own line breaks).
std::vector<SavedRecord> ParseSavedRecords(const QString& text);

// The reading page of a saved board or comment page: every label and value escaped, only
// the line breaks a value holds as "<br>" kept as such; a link back to the start page and
// one to the saved file.
QString RecordPage(const QString& title, const QString& savedFile,
                   const std::vector<SavedRecord>& records, const QString& styleSheet);
