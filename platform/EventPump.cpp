#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

namespace platform {
namespace {

void Sleep(int maxMs) {
    if (maxMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
    }
}

}  // namespace

void SleepingPump::PumpFor(int maxMs) {
    Sleep(maxMs);
}

void QtEventPump::PumpFor(int maxMs) {
    if (QCoreApplication::instance() == nullptr) {
        Sleep(maxMs);
        return;
    }
    if (maxMs <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The dispatcher blocks until an event arrives instead of spinning; the timer makes sure
    // one does. A nested QEventLoop would not do: once the program is quitting it returns at
    // once and the wait would spin.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace platform
