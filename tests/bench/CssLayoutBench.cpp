// Prints how long the CSS window's layout of a style sheet takes and how much memory it holds,
// for sheets made only of "}" (the worst case: every character gains a line break), one child
// process per size so that each peak is its own. Sizes in MB as arguments; 4 8 16 50 without.
// Usage: css_layout_bench [MB...]
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "css/CssLayout.h"
#include "platform/EventPump.h"

namespace {

// Counts the looks at the window's events, as the window's pump would handle them.
class CountingPump : public platform::EventPump {
public:
    void PumpFor(int) override { ++looks; }
    bool StopRequested() const override { return false; }
    long looks = 0;
};

// The peak resident memory of this process so far, in MB.
double PeakMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

void Measure(int megabytes) {
    const qsizetype size = qsizetype{megabytes} * 1000 * 1000;
    const QString sheet(size, QChar('}'));
    const double before = PeakMb();
    CountingPump pump;
    const auto start = std::chrono::steady_clock::now();
    const QString laidOut = LayOutRules(sheet, pump);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "%4d MB of \"}\": %7.3f s, %6.3f s per MB, peak %7.1f MB (sheet held: %6.1f MB), "
        "%lld characters out, %ld looks at events\n",
        megabytes, seconds, seconds / megabytes, PeakMb(), before,
        static_cast<long long>(laidOut.size()), pump.looks);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {4, 8, 16, 50};
    }
    std::printf("The window refuses sheets over %lld characters; this measures the layout alone.\n",
                static_cast<long long>(kLargestSheet));
    std::fflush(stdout);
    for (const int megabytes : sizes) {
        const pid_t child = fork();
        if (child == 0) {
            Measure(megabytes);
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    return 0;
}
