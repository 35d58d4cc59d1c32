#pragma once

#include <array>

#include "app/SpaceSurvey.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

// The main window's controls as plain values, with the captions it starts with.
class TestMainWindow : public SurveyControls {
public:
    explicit TestMainWindow(QString address) : address(std::move(address)) {
        labels.fill(QStringLiteral("initial"));
    }
    QString Address() const override { return address; }
    void SetAddress(const QString& text) override { address = text; }
    platform::ReportList& Categories() override { return categories; }
    platform::ReportList& Songs() override { return songs; }
    QString Label(SurveyLabel label) const override { return labels[Index(label)]; }
    void SetLabel(SurveyLabel label, const QString& caption) override {
        labels[Index(label)] = caption;
    }
    void SetSurveyEnabled(bool enabled) override { surveyEnabled = enabled; }
    platform::EventPump& Pump() override { return pump; }

    QString address;
    platform::MemoryList categories;
    platform::MemoryList songs;
    std::array<QString, 6> labels;
    bool surveyEnabled = true;
    platform::SleepingPump pump{0.0};

private:
    static std::size_t Index(SurveyLabel label) { return static_cast<std::size_t>(label); }
};
