#pragma once

#include <QStringList>

#include "music/MusicWindowControls.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

// The music window's controls as plain values, with every caption kept in order and no
// waits at all.
class TestMusicWindow : public MusicWindowControls {
public:
    TestMusicWindow(const QString& appFolder, const QString& address)
        : address(address), appFolder(appFolder) {}

    QString Address() const override { return address; }
    void SetAddress(const QString& text) override { address = text; }
    platform::ReportList& Songs() override { return songs; }
    void SetDownloadEnabled(bool enabled) override { downloadEnabled = enabled; }
    void SetSongStatus(const QString& caption) override {
        songStatuses << caption;
        downloadEnabledWhenShown << downloadEnabled;
    }
    void SetProgressCaption(const QString& caption) override { progress << caption; }
    float ProgressMax() const override { return max; }
    void SetProgressMax(float value) override { max = value; }
    float ProgressValue() const override { return value; }
    void SetProgressValue(float bytes) override { value = bytes; }
    QString Destination() const override { return destination; }
    void SetDestination(const QString& path) override { destination = path; }
    platform::EventPump& Pump() override { return pump; }
    QString AppFolder() const override { return appFolder; }

    QString address;
    QString appFolder;
    platform::MemoryList songs;
    bool downloadEnabled = false;
    QStringList songStatuses;
    QList<bool> downloadEnabledWhenShown;
    QStringList progress;
    float max = 100;
    float value = 0;
    QString destination;
    platform::SleepingPump pump{0.0};
};
