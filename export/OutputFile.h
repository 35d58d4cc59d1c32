#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whether the first bytes of a file (up to kOutputHeadBytes) are those of a file the target
// writes.
using TargetHead = bool (*)(const QByteArray& head);

inline constexpr qint64 kOutputHeadBytes = 4096;

// Why an export written as one file (`what`, e.g. "WXR 文件") cannot go to the path, or
// nothing when it can: nothing stands there, or an empty file, or a file `isTarget` takes for
// one of its own kind (an earlier export), which the new one replaces. A folder, a symbolic
// link or any other file is left as it is.
std::optional<QString> RefusedFilePath(const QString& path, const QString& what,
                                       TargetHead isTarget);
