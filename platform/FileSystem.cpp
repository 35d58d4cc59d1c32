#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Codepage.h"

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

bool WriteAll(int fd, const std::string& content) {
    const char* data = content.data();
    std::size_t left = content.size();
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

// Creates a new file beside the destination, with the permissions a new file gets, and
// stores its name. Returns its descriptor, or -1 with errno set. The name is short whatever
// the destination's, which may already take all the room a name has.
int OpenBeside(const std::string& destination, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = destination.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + ".pagewren-" + std::to_string(::getpid()) + "-" +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool WriteDirectly(const std::string& destination, const std::string& content) {
    const int fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, content);
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
    return QDir().mkdir(WithoutTrailingSeparators(path));
}

bool WriteAnsiLines(const QString& path, const QStringList& lines) {
    std::string content;
    for (const QString& line : lines) {
        content += ToAnsi(line);
        content += "\r\n";
    }
    const std::string destination = QFile::encodeName(path).toStdString();
    struct stat existing {};
    const bool exists = ::stat(destination.c_str(), &existing) == 0;
    // A folder may hold a file of that name; it is not replaced by this one.
    if (exists && S_ISDIR(existing.st_mode)) {
        return false;
    }
    std::string temporary;
    const int fd = OpenBeside(destination, temporary);
    if (fd < 0) {
        // A folder that takes no new files may still hold a writable file of that name.
        return errno == EACCES && WriteDirectly(destination, content);
    }
    // The new file keeps what the old one let others do, as an edited file would.
    bool written = !exists || ::fchmod(fd, existing.st_mode & 07777) == 0;
    written = written && WriteAll(fd, content);
    written = ::close(fd) == 0 && written;
    // No sync here: a save syncs its folder once at its end (SyncFolder), which costs far
    // less than one per file, and the rename leaves either the old file or the new one.
    if (!written || ::rename(temporary.c_str(), destination.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool SyncFolder(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // One call writes out every file and name the save left in the folder's file system.
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace platform

namespace platform {

struct ReplacingFile::Impl {
    explicit Impl(const QString& path) : file(path) {}
    QSaveFile file;
};

ReplacingFile::ReplacingFile(const QString& path) : impl_(std::make_unique<Impl>(path)) {}

// An uncommitted QSaveFile removes its temporary file when it goes.
ReplacingFile::~ReplacingFile() = default;

bool ReplacingFile::Open() {
    return impl_->file.open(QIODevice::WriteOnly);
}

bool ReplacingFile::Write(const char* data, qint64 size) {
    return impl_->file.write(data, size) == size;
}

qint64 ReplacingFile::Position() const {
    return impl_->file.pos();
}

bool ReplacingFile::Commit() {
    return impl_->file.commit();
}

}  // namespace platform
