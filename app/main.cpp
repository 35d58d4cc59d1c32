#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

#include "app/ReplayOption.h"
#include "app/WarcIndexWindow.h"
#include "app/WarcProblemText.h"
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
    bool indexStopped = false;
    // WARC files are indexed before the main window, with a window of their own that shows
    // how far it has come and can stop it.
    const WarcIndexer indexWithWindow = [&](const std::string& prefix, const std::string& time) {
        WarcIndexWindow progress;
        std::optional<std::vector<std::string>> problems = progress.Index(prefix, time);
        indexStopped = !problems;
        return problems;
    };
    const bool replayTaken =
        TakeReplayOption(arguments, &replayError, &replayProblems, indexWithWindow);
    if (indexStopped) {
        return 1;
    }
    if (!replayTaken || !TakeArchiveIndexOptions(arguments, &replayError) || !arguments.isEmpty()) {
        if (!replayError.isEmpty()) {
            std::fprintf(stderr, "pagewren: %s\n", replayError.toLocal8Bit().constData());
        }
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!replayProblems.isEmpty()) {
        // What the WARC files hold that cannot be read; the rest of them is used.
        QStringList said;
        for (const QString& problem : replayProblems) {
            said << WarcProblemInChinese(problem);
        }
        QMessageBox::warning(
            nullptr, QStringLiteral("错误提示"),
            QStringLiteral("存档文件中以下内容无法读取，其余内容照常使用：\n\n") + said.join('\n'));
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
