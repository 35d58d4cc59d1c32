// Prints the processor time that a two-second wait costs while the event loop runs.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/moddelay.h"
#include "platform/EventPump.h"

namespace {

double ProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    bool stop = false;
    platform::QtEventPump pump(stop);
    const double cpuBefore = ProcessorSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    Delay(2, QStringLiteral("1000"), pump);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = ProcessorSeconds() - cpuBefore;
    std::printf("Delay(2, \"1000\"): wall %.3f s, processor %.4f s, %.2f%% of one core\n", wall,
                cpu, 100.0 * cpu / wall);
    return 0;
}
