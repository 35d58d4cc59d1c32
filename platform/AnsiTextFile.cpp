#include "platform/AnsiTextFile.h"

#include <string>

#include "platform/Codepage.h"

namespace platform {

AnsiTextFile::AnsiTextFile(const QString& path) : file_(path), failed_(!file_.Open()) {}

void AnsiTextFile::WriteLine(const QString& line) {
    if (failed_) {
        return;
    }
    const std::string bytes = ToAnsi(line) + "\r\n";
    failed_ = !file_.Write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool AnsiTextFile::Commit() {
    // An uncommitted file leaves nothing behind when it goes.
    return !failed_ && file_.Commit();
}

}  // namespace platform
