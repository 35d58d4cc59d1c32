#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

// The platform's path separator, which joins every path the program builds.
inline constexpr QChar kPathSeparator = QChar('/');

// The folder that holds the running program.
QString ProgramFolder();

// True when a file or a folder exists at the path (a trailing separator is allowed).
bool PathExists(const QString& path);

// True when a file that holds at least one byte exists at the path.
bool IsNonEmptyFile(const QString& path);

// Creates one folder whose parent exists. Returns false when it could not be made.
bool CreateFolder(const QString& path);

// Creates the file anew and writes each line in code page 936 followed by CR LF; an earlier
// file of that name stays whole until the new one takes its place. The file is not synced
// to disk: a save calls SyncFolder once at its end. Returns false when the file could not
// be created or written in full.
bool WriteAnsiLines(const QString& path, const QStringList& lines);

// Writes to disk everything written so far in the folder's file system, so that saved files
// survive a crash. Returns false when the folder cannot be opened or the sync fails.
bool SyncFolder(const QString& path);

}  // namespace platform

namespace platform {

// A file of raw bytes written beside its destination and put in its place only by Commit,
// so that an earlier file stays whole when the writing fails or is abandoned.
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& path);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Starts the file. Returns false when it cannot be created beside the destination.
    bool Open();

    // Appends the bytes. Returns false when they could not all be written.
    bool Write(const char* data, qint64 size);

    // The number of bytes written so far.
    qint64 Position() const;

    // Replaces the destination with what was written. Returns false when that fails.
    bool Commit();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
