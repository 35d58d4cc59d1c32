// Prints how the program behaves while a request hangs: the largest gap between handled
// window events during a survey whose first page stalls, and the time from closing the main
// window to the end of the program's event loop.
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "EventGapMeter.h"
#include "app/frmmain.h"
#include "sim/SpaceServer.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    spacesim::SpaceServer server(
        spacesim::SpaceStore::FromFolder(spacesim::SpaceStore::DefaultFolder()));
    server.SetFault("/jiaoliao/blog", spacesim::Fault::Stall);
    const int port = server.Start(0);
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
    QTemporaryDir appFolder;
    auto* window = new frmmain(appFolder.path());
    window->show();

    const EventGapMeter meter;
    double closedAtMs = 0;
    QTimer::singleShot(0, window, [&] { window->cmdgetbgm->click(); });
    QTimer::singleShot(2000, window, [&] {
        closedAtMs = meter.ElapsedMs();
        window->close();
    });
    QApplication::exec();
    std::printf(
        "survey with a stalled first page: largest gap between handled events %.1f ms; "
        "closing the main window to the end of the event loop %.1f ms\n",
        meter.LargestGapMs(), meter.ElapsedMs() - closedAtMs);
    server.Stop();
    return 0;
}
