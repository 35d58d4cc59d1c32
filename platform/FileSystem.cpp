#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <string>
#include <system_error>

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
    QSaveFile file(path);
    // A folder that takes no new files may still hold a writable file of that name.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    // commit() reports a failed flush or close as well as a failed rename.
    return file.commit();
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
