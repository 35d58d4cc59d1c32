// Prints how responsive the music window stays while it downloads a 50 MB song from an
// in-process simulator: the largest gap between two handled window events, and the wall time.
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

constexpr std::size_t kSongBytes = 50u << 20;

spacesim::SpaceStore BigSongSpace() {
    spacesim::Space space;
    space.name = "bigsong";
    space.songs.push_back({"big", "http://songs.bench.test/big.mp3", kSongBytes, {}});
    spacesim::SpaceStore store;
    store.Add(space);
    return store;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    spacesim::SpaceServer server(BigSongSpace());
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
        "50 MB song in the music window: %.2f s wall (2 s of it the pace), largest gap "
        "between handled events %.1f ms\n",
        meter.ElapsedMs() / 1000, meter.LargestGapMs());
    server.Stop();
    return 0;
}
