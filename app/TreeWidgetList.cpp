#include "app/TreeWidgetList.h"

#include <QTreeWidget>

void TreeWidgetList::Clear() {
    view_.clear();
}

int TreeWidgetList::RowCount() const {
    return view_.topLevelItemCount();
}

void TreeWidgetList::AddRow(const QString& text) {
    auto* item = new QTreeWidgetItem(&view_);
    item->setText(0, text);
}

void TreeWidgetList::SetCell(int row, int subItem, const QString& text) {
    if (QTreeWidgetItem* item = view_.topLevelItem(row - 1); item && subItem >= 0) {
        item->setText(subItem, text);
    }
}

QString TreeWidgetList::Cell(int row, int subItem) const {
    const QTreeWidgetItem* item = view_.topLevelItem(row - 1);
    return item && subItem >= 0 ? item->text(subItem) : QString();
}

void TreeWidgetList::RemoveRow(int row) {
    if (row >= 1 && row <= RowCount()) {
        delete view_.takeTopLevelItem(row - 1);
    }
}

// The notes ride on the row's item, in roles no view shows.
void TreeWidgetList::SetRowNote(int row, int slot, const QString& text) {
    if (QTreeWidgetItem* item = view_.topLevelItem(row - 1); item && slot >= 1) {
        item->setData(0, Qt::UserRole + slot, text);
    }
}

QString TreeWidgetList::RowNote(int row, int slot) const {
    const QTreeWidgetItem* item = view_.topLevelItem(row - 1);
    return item && slot >= 1 ? item->data(0, Qt::UserRole + slot).toString() : QString();
}
