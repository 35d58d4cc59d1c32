#pragma once

#include <unistd.h>
#include <QFile>
#include <QString>
#include <string>

// The bytes of a file as they lie on disk; empty when it cannot be read.
inline std::string FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

inline bool PutFileBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

// Permission bits do not stop the superuser, so tests of them skip themselves there.
inline bool PermissionsApply() {
    return geteuid() != 0;
}
