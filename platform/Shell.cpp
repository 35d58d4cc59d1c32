#include "platform/Shell.h"

#include <QProcess>
#include <QStringList>
#include <utility>

namespace platform {
namespace {

ShellHandler& CurrentHandler() {
    static ShellHandler handler;
    return handler;
}

void HandOver(const QString& verb, const QString& target) {
    // A copy, so a handler that replaces itself is not destroyed while it runs.
    const ShellHandler handler = CurrentHandler();
    if (handler) {
        handler(verb, target);
        return;
    }
    // The desktop picks the program for pages and folders alike; its outcome is not awaited,
    // as a program started from the shell on Windows was not.
    QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{target});
}

}  // namespace

void OpenAddress(const QString& address) {
    HandOver(QStringLiteral("open"), address);
}

void OpenFolder(const QString& path) {
    HandOver(QStringLiteral("explore"), path);
}

void SetShellHandler(ShellHandler handler) {
    CurrentHandler() = std::move(handler);
}

}  // namespace platform
