#pragma once

#include <QStringList>
#include <chrono>
#include <thread>

#include "app/RecordWindowControls.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

// Sleeps out every 100 ms wait in one 1 ms pass, counting the waits, and asks the run to
// stop after `waitsBeforeStop` of them (never when negative).
class CountingPump : public platform::EventPump {
public:
    void PumpFor(int maxMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
        ++waits;
    }
    bool StopRequested() const override { return waitsBeforeStop >= 0 && waits >= waitsBeforeStop; }
    double Pace() const override { return 0.001; }

    int waits = 0;
    int waitsBeforeStop = -1;
};

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
    CountingPump pump;
};
