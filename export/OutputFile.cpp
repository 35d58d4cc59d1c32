#include "export/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::optional<QString> RefusedFilePath(const QString& path, const QString& what,
                                       TargetHead isTarget) {
    const QFileInfo out(path);
    if (out.isSymLink()) {
        return QStringLiteral("%1 is a symbolic link; name a file").arg(path);
    }
    if (!out.exists()) {
        return out.absoluteDir().exists()
                   ? std::nullopt
                   : std::optional(QStringLiteral("%1 cannot be written: there is no folder %2")
                                       .arg(path, out.absolutePath()));
    }
    if (out.isDir()) {
        return QStringLiteral("%1 is a folder, not %2").arg(path, what);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("%1 cannot be read, so it is not known to be %2").arg(path, what);
    }
    const QByteArray head = file.read(kOutputHeadBytes);
    if (head.isEmpty() || isTarget(head)) {
        return std::nullopt;
    }
    return QStringLiteral("%1 is a file that is not %2; name a new file").arg(path, what);
}
