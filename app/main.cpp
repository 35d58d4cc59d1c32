#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

#include "app/ReplayOption.h"
#include "app/frmmain.h"
#include "backup/ArchiveIndex.h"
#include "platform/Program.h"

namespace {

constexpr const char* kUsage =
    "usage: pagewren [--replay PREFIX | --replay warc:PATH [--at TIME]] [--cdx URL] "
    "[--no-index]\n"
    "       pagewren --version | --help\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so that they need no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("pagewren " PAGEWREN_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("%sblogurl.ini and the backups go beneath %s\n", kUsage,
                    platform::ApplicationFolder().toLocal8Bit().constData());
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(PAGEWREN_VERSION));
    QStringList arguments = QApplication::arguments().mid(1);
    QString replayError;
    QStringList replayProblems;
    if (!TakeReplayOption(arguments, &replayError, &replayProblems) ||
        !TakeArchiveIndexOptions(arguments, &replayError) || !arguments.isEmpty()) {
        if (!replayError.isEmpty()) {
            std::fprintf(stderr, "pagewren: %s\n", replayError.toLocal8Bit().constData());
        }
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!replayProblems.isEmpty()) {
        // What the WARC files hold that cannot be read; the rest of them is used.
        QMessageBox::warning(nullptr, QStringLiteral("错误提示"), replayProblems.join('\n'));
    }
    const QString appFolder = platform::ApplicationFolder();
    if (!platform::MakeApplicationFolder(appFolder)) {
        QMessageBox::critical(
            nullptr, QStringLiteral("错误提示"),
            QStringLiteral("无法建立文件夹 ") + QDir::toNativeSeparators(appFolder));
        return 1;
    }
    frmmain window(appFolder);
    window.show();
    return QApplication::exec();
}
