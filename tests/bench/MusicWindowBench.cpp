// Prints how responsive the music window stays while it downloads a large song (50 MB, or as
// many MB as the first argument says) from an in-process simulator: the largest gap between
// two handled window events, the wall time and the peak memory of the process.
#include <sys/resource.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "EventGapMeter.h"
#include "app/SpaceAddress.h"
#include "music/frmmusic.h"
#include "sim/SpaceServer.h"

namespace {

spacesim::SpaceStore BigSongSpace(std::size_t bytes) {
    spacesim::Space space;
    space.name = "bigsong";
    space.songs.push_back({"big", "http://songs.bench.test/big.mp3", bytes, {}});
    spacesim::SpaceStore store;
    store.Add(space);
    return store;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const long megabytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 50;
    spacesim::SpaceServer server(BigSongSpace(static_cast<std::size_t>(megabytes) << 20));
    const int port = server.Start(0);
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
    QTemporaryDir appFolder;
    SaveSpaceAddress(appFolder.path(), QStringLiteral("http://hi.baidu.com/bigsong"));
    frmmusic window(appFolder.path());
    window.show();
    window.cmdgetbgm->click();

    const EventGapMeter meter;
    window.cmdget->click();
    std::printf(
        "%ld MB song in the music window: %.2f s wall (2 s of it the pace), largest gap "
        "between handled events %.1f ms, peak memory %ld KB (the simulator's included)\n",
        megabytes, meter.ElapsedMs() / 1000, meter.LargestGapMs(), PeakKilobytes());
    server.Stop();
    return 0;
}
