#pragma once

#include <sys/types.h>

#include <QFile>
#include <QString>
#include <chrono>
#include <thread>

// The process id a test's stand-in program noted in the file; 0 before it has.
inline pid_t NotedPid(const QString& pidFile) {
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
}

// Running or sleeping; a killed process whose parent is gone may linger as a zombie.
inline bool Alive(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line[close + 2] != 'Z';
}

// True once the process has ended, waiting up to two seconds.
inline bool EndsSoon(pid_t pid) {
    for (int i = 0; i < 100 && Alive(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !Alive(pid);
}
