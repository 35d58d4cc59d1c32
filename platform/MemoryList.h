#pragma once

#include <QStringList>
#include <vector>

#include "platform/ReportList.h"

namespace platform {

// A report list held in memory, for the headless front end.
class MemoryList : public ReportList {
public:
    void Clear() override {
        rows_.clear();
        notes_.clear();
    }
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    void AddRow(const QString& text) override {
        rows_.push_back(QStringList{text});
        notes_.emplace_back();
    }
    void SetCell(int row, int subItem, const QString& text) override;
    QString Cell(int row, int subItem) const override;
    void RemoveRow(int row) override;
    void SetRowNote(int row, int slot, const QString& text) override;
    QString RowNote(int row, int slot) const override;
    const std::vector<QStringList>& Rows() const { return rows_; }

private:
    std::vector<QStringList> rows_;
    std::vector<QStringList> notes_;  // of each row, by slot less one
};

}  // namespace platform
