#pragma once

#include <QFileInfo>
#include <QString>
#include <chrono>
#include <thread>

#include "platform/EventPump.h"

// Waits `pace` times as long as a window would (0: not at all), counting the waits, and asks
// the run to stop after `waitsBeforeStop` of them (never when negative) or once the file
// `stopOnceWritten` (when named) holds something.
class TestPump : public platform::EventPump {
public:
    explicit TestPump(double pace) : pace(pace) {}
    void PumpFor(int maxMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
        ++waits;
    }
    bool StopRequested() const override {
        return (waitsBeforeStop >= 0 && waits >= waitsBeforeStop) ||
               (!stopOnceWritten.isEmpty() && QFileInfo(stopOnceWritten).size() > 0);
    }
    double Pace() const override { return pace; }

    double pace;
    int waits = 0;
    int waitsBeforeStop = -1;
    QString stopOnceWritten;
};
