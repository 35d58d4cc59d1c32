#include <QApplication>

#include "app/frmmain.h"
#include "platform/FileSystem.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmmain window(platform::ProgramFolder());
    window.show();
    return QApplication::exec();
}
