#pragma once

#include "platform/ReportList.h"

class QTreeWidget;

// A report list shown by a QTreeWidget: the window's list view as the logic sees it.
class TreeWidgetList : public platform::ReportList {
public:
    explicit TreeWidgetList(QTreeWidget& view) : view_(view) {}
    void Clear() override;
    int RowCount() const override;
    void AddRow(const QString& text) override;
    void SetCell(int row, int subItem, const QString& text) override;
    QString Cell(int row, int subItem) const override;
    void RemoveRow(int row) override;
    void SetRowNote(int row, int slot, const QString& text) override;
    QString RowNote(int row, int slot) const override;

private:
    QTreeWidget& view_;
};
