#pragma once

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <string>

// Debian's Chromium run headless on local pages, with a profile of its own that it leaves
// nowhere else, and with everything that would reach the network switched off.
class HeadlessChromium {
public:
    static QString Program() { return QStandardPaths::findExecutable(QStringLiteral("chromium")); }

    // The page's document as the browser built it, serialized; empty when it failed.
    std::string DumpDom(const QString& file) const {
        return Run({QStringLiteral("--dump-dom"), Url(file)});
    }

    // The page's document after the page has had `virtualMs` of its own time (timers, refreshes,
    // frames loading) under the extra `flags`.
    std::string DumpDomAfter(const QString& file, int virtualMs,
                             const QStringList& flags = {}) const {
        return Run(flags + QStringList{QStringLiteral("--virtual-time-budget=%1").arg(virtualMs),
                                       QStringLiteral("--dump-dom"), Url(file)});
    }

    // What the browser shows of the page in a window of that size.
    QImage Screenshot(const QString& file, int width, int height) const {
        const QString png = profile_.path() + QStringLiteral("/shot.png");
        Run({QStringLiteral("--screenshot=") + png,
             QStringLiteral("--window-size=%1,%2").arg(width).arg(height),
             QStringLiteral("--hide-scrollbars"), Url(file)});
        return QImage(png);
    }

    static QString Url(const QString& file) {
        return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    }

private:
    std::string Run(const QStringList& arguments) const {
        QProcess chromium;
        chromium.start(Program(),
                       QStringList{"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                   "--no-first-run", "--disable-background-networking",
                                   "--disable-component-update", "--disable-sync",
                                   "--user-data-dir=" + profile_.path() + "/profile"} +
                           arguments);
        chromium.waitForFinished(60000);
        return chromium.readAllStandardOutput().toStdString();
    }

    QTemporaryDir profile_;
};
