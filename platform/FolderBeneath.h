#pragma once

#include <QString>
#include <optional>
#include <string>

namespace platform {

// The folder a file is to be read or written in, held open (as a path descriptor) for the
// file's operations, and the file's name in it. Given a root (the space folder), the folder
// is reached beneath the root's descriptor without following any symbolic link below the
// root, so that a link planted in a saved space cannot lead a save or the reading copy
// elsewhere; the root itself may be a link, as may the folders above it. Without a root the
// folder is the one the path names.
class FolderBeneath {
public:
    FolderBeneath(const QString& root, const QString& path);
    ~FolderBeneath();
    FolderBeneath(const FolderBeneath&) = delete;
    FolderBeneath& operator=(const FolderBeneath&) = delete;

    // The folder's descriptor, or -1 when it cannot be reached so; errno then says why
    // (ELOOP for a symbolic link on the way, EXDEV for a path that is not beneath the root).
    int Descriptor() const { return fd_; }

    // The error of the opening, 0 when the folder was reached.
    int Error() const { return error_; }

    // The file's name in the folder.
    const std::string& Name() const { return name_; }

    // The folder's path, ending in a separator, or empty for the current folder.
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::string name_;
    int fd_ = -1;
    int error_ = 0;
};

// The bytes of the plain file at `path`, reached as FolderBeneath does and never through a
// symbolic link at its own name; nothing when it cannot be read so, is no plain file or holds
// more than maxBytes.
std::optional<std::string> ReadFileBeneath(const QString& root, const QString& path,
                                           qint64 maxBytes);

}  // namespace platform
