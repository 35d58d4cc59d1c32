#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

// Measures how often window events are handled: a timer that asks to fire every millisecond
// fires as often as the event loop runs, so the largest gap between two firings is the
// longest the windows went without handling events.
class EventGapMeter {
public:
    EventGapMeter() {
        ticker_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            largestGapNs_ = std::max(largestGapNs_, now - lastNs_);
            lastNs_ = now;
        });
        clock_.start();
        ticker_.start(1);
    }

    double LargestGapMs() const { return static_cast<double>(largestGapNs_) / 1e6; }
    double ElapsedMs() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

private:
    QElapsedTimer clock_;
    QTimer ticker_;
    qint64 lastNs_ = 0;
    qint64 largestGapNs_ = 0;
};
