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

// True when a plain file that holds at least one byte is at the path; a symbolic link is
// none. Given `beneath` (the space folder), the file is looked for as FolderBeneath reaches
// it, through no link below that folder.
bool IsNonEmptyFile(const QString& path, const QString& beneath = {});

// Creates one folder whose parent exists, and flushes the parent to disk so that the new
// folder survives a crash. Returns false when it could not be made.
bool CreateFolder(const QString& path);

// Whether a replaced file's folder is flushed to disk with the file, or later by the caller.
enum class FolderSync { WithFile, ByCaller };

// Creates the file anew and writes each line in code page 936 followed by CR LF, through a
// ReplacingFile (beneath `beneath` when given); in a folder that takes no new files, an
// existing writable file of that name is written over instead. Returns false when the file
// could not be created, written in full or flushed to disk.
bool WriteAnsiLines(const QString& path, const QStringList& lines,
                    FolderSync folderSync = FolderSync::WithFile, const QString& beneath = {});

// Flushes the folder's own entries (the names of the files in it) to disk. Returns false when
// the folder cannot be opened or flushed.
bool SyncFolder(const QString& path);

}  // namespace platform

namespace platform {

// A file of raw bytes written as a file without a name (or, where the file system has none,
// under a passing name beginning ".pagewren-") in the destination's folder, and given the
// destination's name only by Commit: an earlier file there stays whole when the writing fails,
// is abandoned or the process is killed, and nothing of an unnamed file is left. Opening it
// first removes from the folder the passing names that ended runs of this program left.
// A symbolic link in the destination's place is replaced, never written through; given
// `beneath` (the space folder), the destination's folder is reached as FolderBeneath reaches
// it, so that a link planted below that folder cannot take the file elsewhere.
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& path, FolderSync folderSync = FolderSync::WithFile,
                           const QString& beneath = {});
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Starts the file. Returns false, with errno set, when it cannot be created in the
    // destination's folder (ELOOP: a link on the way) or a folder stands at the destination.
    bool Open();

    // Writes the bytes over the plain file already at the destination, in place and flushed,
    // for a folder that takes no new files. Returns false when there is none or it fails.
    bool WriteInPlace(const char* data, qint64 size);

    // Appends the bytes. Returns false when they could not all be written.
    bool Write(const char* data, qint64 size);

    // The number of bytes written so far.
    qint64 Position() const;

    // Flushes the file to disk, replaces the destination with it and, unless the caller
    // flushes the folder itself, flushes the folder. Returns false when any of it fails; the
    // earlier file is then unchanged unless only the folder's flush failed.
    bool Commit();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
