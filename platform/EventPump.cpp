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
    // A local loop blocks in the event dispatcher between events instead of spinning, and
    // a precise timer never ends the wait early.
    QEventLoop loop;
    QTimer::singleShot(maxMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace platform
