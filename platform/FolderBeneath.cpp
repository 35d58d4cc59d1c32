#include "platform/FolderBeneath.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

namespace platform {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The path with a separator at its end, as the folders beneath it begin.
std::string AsFolder(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

void CloseKeepingError(int fd) {
    const int error = errno;
    ::close(fd);
    errno = error;
}

// For kernels without openat2: one name at a time, none of them a link or "..".
int OpenByNames(int rootFd, const std::string& relative) {
    int fd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    std::size_t start = 0;
    while (fd >= 0 && start < relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string name = relative.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            CloseKeepingError(fd);
            errno = EXDEV;
            return -1;
        }
        struct stat entry {};
        const bool link =
            ::fstatat(fd, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(entry.st_mode);
        const int next =
            link ? -1 : ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (link) {
            errno = ELOOP;
        }
        CloseKeepingError(fd);
        fd = next;
    }
    return fd;
}

int OpenBeneath(int rootFd, const std::string& relative) {
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    const long fd =
        ::syscall(SYS_openat2, rootFd, relative.empty() ? "." : relative.c_str(), &how, sizeof how);
    // Kernels before 5.6, and sandboxes that filter the call, answer ENOSYS or EPERM.
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) {
        return static_cast<int>(fd);
    }
    return OpenByNames(rootFd, relative);
}

}  // namespace

FolderBeneath::FolderBeneath(const QString& root, const QString& path) {
    const std::string native = Native(path);
    const std::size_t slash = native.rfind('/');
    folder_ = slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
    name_ = slash == std::string::npos ? native : native.substr(slash + 1);
    if (root.isEmpty()) {
        fd_ = ::open(folder_.empty() ? "." : folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    } else if (const std::string base = AsFolder(Native(root)); folder_.rfind(base, 0) != 0) {
        errno = EXDEV;
    } else {
        const int rootFd = ::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        // "a//b" names "a/b", as the system reads it; a leading "/" would read as the root.
        const std::size_t start = folder_.find_first_not_of('/', base.size());
        const std::string relative =
            start == std::string::npos ? std::string() : folder_.substr(start);
        fd_ = rootFd < 0 ? -1 : OpenBeneath(rootFd, relative);
        if (rootFd >= 0) {
            CloseKeepingError(rootFd);
        }
    }
    error_ = fd_ < 0 ? errno : 0;
}

FolderBeneath::~FolderBeneath() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<std::string> ReadFileBeneath(const QString& root, const QString& path,
                                           qint64 maxBytes) {
    const FolderBeneath folder(root, path);
    // Not waiting on a pipe or a device that someone named like a saved file.
    const int fd = folder.Descriptor() < 0
                       ? -1
                       : ::openat(folder.Descriptor(), folder.Name().c_str(),
                                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat file {};
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && file.st_size <= maxBytes) {
        bytes.emplace();
        char chunk[kReadChunk];
        for (;;) {
            const ssize_t read = ::read(fd, chunk, sizeof chunk);
            if (read < 0 && errno == EINTR) {
                continue;
            }
            if (read < 0 || static_cast<qint64>(bytes->size()) + read > maxBytes) {
                bytes.reset();
            }
            if (read <= 0 || !bytes) {
                break;
            }
            bytes->append(chunk, static_cast<std::size_t>(read));
        }
    }
    ::close(fd);
    return bytes;
}

}  // namespace platform
