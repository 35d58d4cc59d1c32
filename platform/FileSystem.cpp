#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Codepage.h"
#include "platform/FileSystemLeftovers.h"

namespace platform {
namespace {

// The file system reports no entry for "file.txt/", yet callers write folders with a final
// separator; the root folder keeps its only one.
QString WithoutTrailingSeparators(QString path) {
    while (path.size() > 1 && path.endsWith(kPathSeparator)) {
        path.chop(1);
    }
    return path;
}

bool WriteAll(int fd, const char* data, std::size_t left) {
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool SyncFolderPath(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A new passing name in the folder (which ends in a separator or is empty), free when made.
std::string PassingName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    return folder + kTemporaryFilePrefix + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

// Links an unnamed file to a new name in the folder. Returns the name, or empty on failure.
std::string LinkUnder(int fd, const std::string& folder) {
    const std::string source = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = PassingName(folder);
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

bool WriteDirectly(const std::string& destination, const std::string& content) {
    const int fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

}  // namespace

QString ProgramFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return QDir::currentPath();
    }
    return QFile::decodeName(QByteArray::fromStdString(program.parent_path().string()));
}

bool PathExists(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    return QFileInfo::exists(WithoutTrailingSeparators(path));
}

bool IsNonEmptyFile(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() && file.size() > 0;
}

bool CreateFolder(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    // One level only, and an existing folder counts as a failure, as the callers expect of
    // the Windows file-system object they were written against.
    const QString folder = WithoutTrailingSeparators(path);
    if (!QDir().mkdir(folder)) {
        return false;
    }
    SyncFolder(QFileInfo(folder).absolutePath());
    return true;
}

bool WriteAnsiLines(const QString& path, const QStringList& lines, FolderSync folderSync) {
    std::string content;
    for (const QString& line : lines) {
        content += ToAnsi(line);
        content += "\r\n";
    }
    ReplacingFile file(path, folderSync);
    if (!file.Open()) {
        // A folder that takes no new files may still hold a writable file of that name.
        return errno == EACCES && WriteDirectly(QFile::encodeName(path).toStdString(), content);
    }
    return file.Write(content.data(), static_cast<qint64>(content.size())) && file.Commit();
}

bool SyncFolder(const QString& path) {
    return SyncFolderPath(QFile::encodeName(path).toStdString());
}

}  // namespace platform

namespace platform {

struct ReplacingFile::Impl {
    std::string destination;
    std::string folder;  // the destination's, ending in a separator; empty for the current one
    FolderSync folderSync;
    int fd = -1;
    std::string passingName;  // empty while the file has no name
    qint64 written = 0;
    bool failed = false;

    // Opens a file without a name in the folder; -1 with errno set when there is none.
    int OpenUnnamed() const {
        // Only /proc/self/fd lets the file be given a name later.
        static const bool canName = ::access("/proc/self/fd", X_OK) == 0;
        if (!canName) {
            errno = EOPNOTSUPP;
            return -1;
        }
        return ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                      0666);
    }

    int OpenNamed() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            passingName = PassingName(folder);
            const int opened =
                ::open(passingName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (opened >= 0 || errno != EEXIST) {
                return opened;
            }
        }
        return -1;
    }

    // Gives the flushed file the destination's name.
    bool Place() {
        if (passingName.empty()) {
            // A new file takes its name in one step; an earlier one is replaced by a rename.
            const std::string source = "/proc/self/fd/" + std::to_string(fd);
            if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(),
                         AT_SYMLINK_FOLLOW) == 0) {
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
            passingName = LinkUnder(fd, folder);
            if (passingName.empty()) {
                return false;
            }
        }
        if (::rename(passingName.c_str(), destination.c_str()) != 0) {
            return false;
        }
        passingName.clear();
        return true;
    }
};

ReplacingFile::ReplacingFile(const QString& path, FolderSync folderSync)
    : impl_(std::make_unique<Impl>()) {
    impl_->destination = QFile::encodeName(path).toStdString();
    const std::size_t slash = impl_->destination.rfind('/');
    impl_->folder =
        slash == std::string::npos ? std::string() : impl_->destination.substr(0, slash + 1);
    impl_->folderSync = folderSync;
}

ReplacingFile::~ReplacingFile() {
    if (impl_->fd >= 0) {
        ::close(impl_->fd);
    }
    if (!impl_->passingName.empty()) {
        ::unlink(impl_->passingName.c_str());
    }
}

bool ReplacingFile::Open() {
    RemoveLeftovers(
        impl_->folder.empty() ? QStringLiteral(".") : QFile::decodeName(impl_->folder.c_str()),
        QString::fromLatin1(kTemporaryFilePrefix));
    struct stat existing {};
    const bool exists = ::stat(impl_->destination.c_str(), &existing) == 0;
    // A folder may hold a file of that name; it is not replaced by this one.
    if (exists && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return false;
    }
    impl_->fd = impl_->OpenUnnamed();
    // Older kernels answer the unknown flag as a folder opened for writing, or refuse it.
    if (impl_->fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        impl_->fd = impl_->OpenNamed();
    }
    // The new file keeps what the old one let others do, as an edited file would.
    return impl_->fd >= 0 && (!exists || ::fchmod(impl_->fd, existing.st_mode & 07777) == 0);
}

bool ReplacingFile::Write(const char* data, qint64 size) {
    impl_->failed = impl_->failed || impl_->fd < 0 ||
                    !WriteAll(impl_->fd, data, static_cast<std::size_t>(size));
    if (!impl_->failed) {
        impl_->written += size;
    }
    return !impl_->failed;
}

qint64 ReplacingFile::Position() const {
    return impl_->written;
}

bool ReplacingFile::Commit() {
    // The contents reach the disk before the name does, so a crash leaves the old file or the
    // whole new one.
    if (impl_->failed || impl_->fd < 0 || ::fsync(impl_->fd) != 0 || !impl_->Place()) {
        return false;
    }
    const bool closed = ::close(impl_->fd) == 0;
    impl_->fd = -1;
    const bool folderSynced =
        impl_->folderSync == FolderSync::ByCaller ||
        SyncFolderPath(impl_->folder.empty() ? std::string(".") : impl_->folder);
    return closed && folderSynced;
}

}  // namespace platform
