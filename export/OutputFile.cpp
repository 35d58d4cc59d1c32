#include "export/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::optional<QString> RefusedFilePath(const QString& path, const QString& what,
                                       TargetHead isTarget) {
    const QFileInfo out(path);
    if (out.isSymLink()) {
        return QStringLiteral("%1 是符号链接：请另指定一个文件").arg(path);
    }
    if (!out.exists()) {
        return out.absoluteDir().exists()
                   ? std::nullopt
                   : std::optional(QStringLiteral("无法写入 %1：文件夹 %2 不存在")
                                       .arg(path, out.absolutePath()));
    }
    if (out.isDir()) {
        return QStringLiteral("%1 是文件夹，不是 %2").arg(path, what);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("无法读取 %1，不知道它是不是 %2").arg(path, what);
    }
    const QByteArray head = file.read(kOutputHeadBytes);
    if (head.isEmpty() || isTarget(head)) {
        return std::nullopt;
    }
    return QStringLiteral("%1 不是 %2：请指定一个新文件").arg(path, what);
}
