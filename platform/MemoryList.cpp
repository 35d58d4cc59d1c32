#include "platform/MemoryList.h"

namespace platform {

void MemoryList::SetCell(int row, int subItem, const QString& text) {
    if (row < 1 || row > RowCount() || subItem < 0) {
        return;
    }
    QStringList& cells = rows_[static_cast<size_t>(row - 1)];
    while (cells.size() <= subItem) {
        cells.append(QString());
    }
    cells[subItem] = text;
}

QString MemoryList::Cell(int row, int subItem) const {
    if (row < 1 || row > RowCount()) {
        return {};
    }
    return rows_[static_cast<size_t>(row - 1)].value(subItem);
}

void MemoryList::RemoveRow(int row) {
    if (row >= 1 && row <= RowCount()) {
        rows_.erase(rows_.begin() + (row - 1));
        notes_.erase(notes_.begin() + (row - 1));
    }
}

void MemoryList::SetRowNote(int row, int slot, const QString& text) {
    if (row < 1 || row > RowCount() || slot < 1) {
        return;
    }
    QStringList& notes = notes_[static_cast<size_t>(row - 1)];
    while (notes.size() < slot) {
        notes.append(QString());
    }
    notes[slot - 1] = text;
}

QString MemoryList::RowNote(int row, int slot) const {
    if (row < 1 || row > RowCount() || slot < 1) {
        return {};
    }
    return notes_[static_cast<size_t>(row - 1)].value(slot - 1);
}

}  // namespace platform
