#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The platform's path separator, which joins every path the program builds.
inline constexpr QChar kPathSeparator = QChar('/');

// The folder that holds the running program.
QString ProgramFolder();

// True when a file or a folder exists at the path (a trailing separator is allowed).
bool PathExists(const QString& path);

// Creates one folder whose parent exists. Returns false when it could not be made.
bool CreateFolder(const QString& path);

// Creates the file anew and writes each line in code page 936 followed by CR LF.
// Returns false when the file could not be created or written in full.
bool WriteAnsiLines(const QString& path, const QStringList& lines);

}  // namespace platform
