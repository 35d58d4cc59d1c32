#pragma once

#include <QString>

namespace platform {

// A list view in report view: rows with a text and sub-items numbered from 1.
class ReportList {
public:
    virtual ~ReportList() = default;
    virtual void Clear() = 0;
    virtual int RowCount() const = 0;
    // Appends a row whose first column holds the text.
    virtual void AddRow(const QString& text) = 0;
    // Appends a row numbered as every list numbers its rows (the row count before it, plus
    // one) and returns its row number.
    int AddNumberedRow() {
        AddRow(QString::number(RowCount() + 1));
        return RowCount();
    }
    // Sets sub-item `subItem` (1-based) of row `row` (1-based); ignored for a missing row.
    virtual void SetCell(int row, int subItem, const QString& text) = 0;
    // Sub-item 0 is the row text; a missing row or cell reads as empty.
    virtual QString Cell(int row, int subItem) const = 0;
    // Removes row `row` (1-based), moving the later rows up; ignored for a missing row.
    virtual void RemoveRow(int row) = 0;
    // Sets note `slot` (from 1) of row `row`: a text the row carries beside its cells, which no
    // column shows and which goes wherever the row goes; ignored for a missing row.
    virtual void SetRowNote(int row, int slot, const QString& text) = 0;
    // A missing row or note reads as empty.
    virtual QString RowNote(int row, int slot) const = 0;
};

}  // namespace platform
