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
#include "platform/FolderBeneath.h"

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

// A new passing name for a file in a folder, free when made.
std::string PassingName() {
    static std::atomic<unsigned> counter{0};
    return kTemporaryFilePrefix + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

// Links an unnamed file to a new name in the folder. Returns the name, or empty on failure.
std::string LinkUnder(int fd, int folderFd) {
    const std::string source = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = PassingName();
        if (::linkat(AT_FDCWD, source.c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
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

bool IsNonEmptyFile(const QString& path, const QString& beneath) {
    const FolderBeneath folder(beneath, path);
    struct stat file {};
    return folder.Descriptor() >= 0 &&
           ::fstatat(folder.Descriptor(), folder.Name().c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(file.st_mode) && file.st_size > 0;
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

bool WriteAnsiLines(const QString& path, const QStringList& lines, FolderSync folderSync,
                    const QString& beneath) {
    std::string content;
    for (const QString& line : lines) {
        content += ToAnsi(line);
        content += "\r\n";
    }
    ReplacingFile file(path, folderSync, beneath);
    if (!file.Open()) {
        // A folder that takes no new files may still hold a writable file of that name.
        return errno == EACCES && file.WriteInPlace(content.data(), content.size());
    }
    return file.Write(content.data(), static_cast<qint64>(content.size())) && file.Commit();
}

bool SyncFolder(const QString& path) {
    return SyncFolderPath(QFile::encodeName(path).toStdString());
}

}  // namespace platform

namespace platform {

struct ReplacingFile::Impl {
    Impl(const QString& path, FolderSync sync, const QString& beneath)
        : folder(beneath, path), folderSync(sync) {}

    const FolderBeneath folder;  // every name below is taken in it, whatever its path becomes
    FolderSync folderSync;
    int fd = -1;
    std::string passingName;  // empty while the file has no name
    qint64 written = 0;
    bool failed = false;

    const char* Name() const { return folder.Name().c_str(); }

    // Opens a file without a name in the folder; -1 with errno set when there is none.
    int OpenUnnamed() const {
        // Only /proc/self/fd lets the file be given a name later.
        static const bool canName = ::access("/proc/self/fd", X_OK) == 0;
        if (!canName) {
            errno = EOPNOTSUPP;
            return -1;
        }
        return ::openat(folder.Descriptor(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    }

    int OpenNamed() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            passingName = PassingName();
            const int opened = ::openat(folder.Descriptor(), passingName.c_str(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (opened >= 0 || errno != EEXIST) {
                return opened;
            }
        }
        return -1;
    }

    // Gives the flushed file the destination's name; a link of that name is replaced, never
    // followed.
    bool Place() {
        const int at = folder.Descriptor();
        if (passingName.empty()) {
            // A new file takes its name in one step; an earlier one is replaced by a rename.
            const std::string source = "/proc/self/fd/" + std::to_string(fd);
            if (::linkat(AT_FDCWD, source.c_str(), at, Name(), AT_SYMLINK_FOLLOW) == 0) {
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
            passingName = LinkUnder(fd, at);
            if (passingName.empty()) {
                return false;
            }
        }
        if (::renameat(at, passingName.c_str(), at, Name()) != 0) {
            return false;
        }
        passingName.clear();
        return true;
    }

    bool SyncFolder() const {
        const int readable = ::openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool synced = readable >= 0 && ::fsync(readable) == 0;
        if (readable >= 0) {
            ::close(readable);
        }
        return synced;
    }
};

ReplacingFile::ReplacingFile(const QString& path, FolderSync folderSync, const QString& beneath)
    : impl_(std::make_unique<Impl>(path, folderSync, beneath)) {}

ReplacingFile::~ReplacingFile() {
    if (impl_->fd >= 0) {
        ::close(impl_->fd);
    }
    if (!impl_->passingName.empty()) {
        ::unlinkat(impl_->folder.Descriptor(), impl_->passingName.c_str(), 0);
    }
}

bool ReplacingFile::Open() {
    if (impl_->folder.Descriptor() < 0) {
        errno = impl_->folder.Error();
        return false;
    }
    const std::string& folder = impl_->folder.Folder();
    RemoveLeftovers(folder.empty() ? QStringLiteral(".") : QFile::decodeName(folder.c_str()),
                    QString::fromLatin1(kTemporaryFilePrefix));
    struct stat existing {};
    const bool exists =
        ::fstatat(impl_->folder.Descriptor(), impl_->Name(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISLNK(existing.st_mode);
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

bool ReplacingFile::WriteInPlace(const char* data, qint64 size) {
    const int fd = impl_->folder.Descriptor() < 0
                       ? -1
                       : ::openat(impl_->folder.Descriptor(), impl_->Name(),
                                  O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat file {};
    const bool written = ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) &&
                         WriteAll(fd, data, static_cast<std::size_t>(size)) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
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
    const bool folderSynced = impl_->folderSync == FolderSync::ByCaller || impl_->SyncFolder();
    return closed && folderSynced;
}

}  // namespace platform
