#pragma once

#include <QStringList>

#include "TestPump.h"
#include "app/RecordWindowControls.h"
#include "platform/MemoryList.h"

// The message-board or comment window's controls as plain values, every status kept.
class TestRecordWindow : public RecordWindowControls {
public:
    explicit TestRecordWindow(const QString& appFolder) : appFolder(appFolder) {}
    QString Address() const override { return address; }
    platform::ReportList& Records() override { return rows; }
    void SetStatus(const QString& text) override { statuses << text; }
    void SetSaveEnabled(bool enabled) override { saveEnabled = enabled; }
    platform::EventPump& Pump() override { return pump; }
    QString AppFolder() const override { return appFolder; }

    QString Status() const { return statuses.value(statuses.size() - 1); }
    QStringList Row(int row) const { return rows.Rows().at(static_cast<size_t>(row - 1)); }

    QString address;
    QString appFolder;
    platform::MemoryList rows;
    QStringList statuses;
    bool saveEnabled = false;
    TestPump pump{0.001};
};
