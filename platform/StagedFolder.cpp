#include "platform/StagedFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <filesystem>

#include "platform/Codepage.h"
#include "platform/FolderBeneath.h"

namespace platform {
namespace {

const QChar kPassingMark = QChar('~');

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Whether the process that named a passing folder is gone, or is this one (whose earlier
// folders of that name were dropped or failed).
bool LeftBehind(const QString& digits) {
    bool number = false;
    const pid_t pid = static_cast<pid_t>(digits.toInt(&number));
    if (!number || pid <= 0) {
        return false;
    }
    return pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH);
}

bool RemoveTree(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        return QDir(path).removeRecursively();
    }
    return QFile::remove(path);
}

// Whether the name is text in the encoding of file names, which the listing reads.
bool IsFileNameText(const std::string& name) {
    const QByteArray bytes = QByteArray::fromStdString(name);
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QString ReadableName(const std::string& name) {
    return IsFileNameText(name) ? QFile::decodeName(QByteArray::fromStdString(name))
                                : FromAnsi(name);
}

void CollectForeignNamed(const std::filesystem::path& folder, const QString& shown, bool foreign,
                         int depth, QStringList& found) {
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    const bool empty = error || it == std::filesystem::directory_iterator();
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().native();
        const bool foreignHere = foreign || !IsFileNameText(name);
        const QString path = shown + ReadableName(name);
        std::error_code kind;
        if (it->is_directory(kind) && !it->is_symlink(kind)) {
            if (depth > 1) {
                CollectForeignNamed(it->path(), path + QChar('/'), foreignHere, depth - 1, found);
            }
        } else if (foreignHere) {
            found << path;
        }
    }
    if (empty && foreign) {
        found << shown;
    }
}

}  // namespace

QStringList ForeignNamedFiles(const QString& folder, int depth) {
    QStringList found;
    CollectForeignNamed(std::filesystem::path(Native(folder)), QString(), false, depth, found);
    found.sort();
    return found;
}

std::vector<FolderEntry> ListFolder(const QString& path) {
    std::vector<FolderEntry> entries;
    // One entry at a time: a category folder may hold tens of thousands of files.
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries.push_back({info.fileName(), info.isDir() && !info.isSymLink(),
                           info.lastModified().toMSecsSinceEpoch(), info.isSymLink()});
    }
    return entries;
}

std::optional<std::string> ReadFileBytes(const QString& path, qint64 maxBytes) {
    return ReadFileBeneath({}, path, maxBytes);
}

StagedFolder::StagedFolder(const QString& destination) : destination_(destination) {
    static std::atomic<unsigned> counter{0};
    staged_ = destination + kPassingMark + QString::number(::getpid()) + QChar('-') +
              QString::number(counter.fetch_add(1));
}

StagedFolder::~StagedFolder() {
    if (open_) {
        RemoveTree(staged_);
    }
}

void StagedFolder::RemoveLeftovers() const {
    const QFileInfo destination(destination_);
    const QString prefix = destination.fileName() + kPassingMark;
    for (const FolderEntry& entry : ListFolder(destination.path())) {
        if (!entry.name.startsWith(prefix)) {
            continue;
        }
        const QString rest = entry.name.mid(prefix.size());
        if (LeftBehind(rest.section(QChar('-'), 0, 0))) {
            RemoveTree(destination.path() + QChar('/') + entry.name);
        }
    }
}

bool StagedFolder::Open() {
    RemoveLeftovers();
    open_ = QDir().mkdir(staged_);
    return open_;
}

bool StagedFolder::MakeFolder(const QString& name) {
    const bool made = open_ && QDir().mkdir(staged_ + QChar('/') + name);
    failed_ = failed_ || !made;
    return made;
}

bool StagedFolder::WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(staged_ + QChar('/') + name);
    // Only new files: a link someone put in the passing folder is not written through.
    const bool written = open_ && file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
                         file.write(bytes) == bytes.size() && file.flush();
    failed_ = failed_ || !written;
    return written;
}

bool StagedFolder::Commit() {
    if (!open_ || failed_) {
        return false;
    }
    const std::string staged = Native(staged_);
    const std::string destination = Native(destination_);
    if (!QFileInfo::exists(destination_)) {
        open_ = ::rename(staged.c_str(), destination.c_str()) != 0;
        return !open_;
    }
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, destination.c_str(), RENAME_EXCHANGE) ==
        0) {
        // The passing name now holds the earlier folder, removed with this object.
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the swap: the earlier folder goes aside for the moment.
    const QString aside = staged_ + QStringLiteral("-old");
    if (::rename(destination.c_str(), Native(aside).c_str()) != 0) {
        return false;
    }
    if (::rename(staged.c_str(), destination.c_str()) != 0) {
        ::rename(Native(aside).c_str(), destination.c_str());
        return false;
    }
    open_ = false;
    RemoveTree(aside);
    return true;
}

}  // namespace platform
