#include <QApplication>
#include <cstdio>

#include "app/ReplayOption.h"
#include "app/frmmain.h"
#include "platform/FileSystem.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    if (!TakeReplayOption(arguments) || !arguments.isEmpty()) {
        std::fputs("usage: pagewren [--replay PREFIX]\n", stderr);
        return 2;
    }
    frmmain window(platform::ProgramFolder());
    window.show();
    return QApplication::exec();
}
