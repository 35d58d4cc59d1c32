#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One entry of a folder: its name, whether it is a folder, when it was last written
// (milliseconds since the epoch), and whether it is a symbolic link (then no folder).
struct FolderEntry {
    QString name;
    bool isFolder = false;
    qint64 modifiedMs = 0;
    bool isLink = false;
};

// The entries of the folder, without "." and "..", in no particular order; empty when the
// folder cannot be read.
std::vector<FolderEntry> ListFolder(const QString& path);

// The files beneath the folder, down to `depth` levels, whose path holds a name that is not
// UTF-8 (as a Chinese Windows wrote names in code page 936): ListFolder cannot name them, so
// they cannot be read. Each as a path relative to the folder, with such names read as code
// page 936; an empty folder of such a name is given itself, ending in "/".
QStringList ForeignNamedFiles(const QString& folder, int depth);

// The bytes of the plain file, or nothing when it cannot be read, is a symbolic link or holds
// more than maxBytes.
std::optional<std::string> ReadFileBytes(const QString& path, qint64 maxBytes);

// A folder built under a passing name beside its destination (the destination's name, "~"
// and the process number) and put in the destination's place whole by Commit, so that the
// destination always holds either the earlier folder or the new one, never a mix. Dropped
// uncommitted, it removes what it wrote. Only for a destination whose name belongs to this
// program alone: opening it removes the passing folders of that name that ended runs left.
class StagedFolder {
public:
    explicit StagedFolder(const QString& destination);
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    // Makes the passing folder. Returns false when it cannot be made.
    bool Open();

    // Makes a folder of that path (names parted by "/", its parent made before) in the passing
    // folder. Returns false when it cannot be made; Commit then refuses.
    bool MakeFolder(const QString& name);

    // Writes a file of that name into the passing folder. Returns false when it could not
    // be written in full; Commit then refuses.
    bool WriteFile(const QString& name, const QByteArray& bytes);

    // Puts the passing folder in the destination's place (swapping the two where the file
    // system can, else moving the earlier one aside first) and removes the earlier one.
    // Returns false, leaving the earlier folder in place, when that fails.
    bool Commit();

private:
    void RemoveLeftovers() const;

    QString destination_;
    QString staged_;
    bool open_ = false;
    bool failed_ = false;
};

}  // namespace platform
