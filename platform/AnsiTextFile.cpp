#include "platform/AnsiTextFile.h"

#include <QSaveFile>
#include <string>

#include "platform/Codepage.h"

namespace platform {

AnsiTextFile::AnsiTextFile(const QString& path) : file_(std::make_unique<QSaveFile>(path)) {
    failed_ = !file_->open(QIODevice::WriteOnly | QIODevice::Truncate);
}

// QSaveFile drops its unfinished copy when it goes without a commit.
AnsiTextFile::~AnsiTextFile() = default;

void AnsiTextFile::WriteLine(const QString& line) {
    if (failed_) {
        return;
    }
    const std::string bytes = ToAnsi(line) + "\r\n";
    const auto size = static_cast<qint64>(bytes.size());
    failed_ = file_->write(bytes.data(), size) != size;
}

bool AnsiTextFile::Commit() {
    if (failed_) {
        file_->cancelWriting();
        return false;
    }
    // commit() reports a failed flush or close as well as a failed rename.
    return file_->commit();
}

}  // namespace platform
