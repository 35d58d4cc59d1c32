#include "platform/ProfileFile.h"

// The file is read with the parser's byte-string form, so no UTF library is needed, and changed
// line by line, since the parser's own writer would lay the whole file out anew. Debian's
// header keeps the template bodies behind SI_IMPLEMENTATION, which lets it stand alone.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QSaveFile>
#include <optional>
#include <string>

#include "platform/Codepage.h"
#include "platform/ProfileLines.h"

namespace platform {
namespace {

// The whole file, an empty text when there is none, nothing when it exists but cannot be read.
std::optional<std::string> ReadExisting(const QString& filePath) {
    QFile file(filePath);
    if (!file.exists()) {
        return std::string();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

// The Windows profile reader drops one pair of matching quotes around a value.
std::string WithoutQuotes(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// An entry is one line: text after a line break would be read back as entries of its own.
std::string FirstLine(const QString& text) {
    const std::string bytes = ToAnsi(text);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

}  // namespace

QString ReadProfileString(const QString& filePath, const QString& section, const QString& key,
                          int maxBytes) {
    const std::optional<std::string> content = ReadExisting(filePath);
    if (!content || content->empty()) {
        return {};
    }
    // The file is kept as code page 936 bytes throughout, so the parser must not guess at a
    // Unicode encoding. Every value of a repeated key is kept, so that the first one can be
    // read, as the Windows profile calls do.
    CSimpleIniA ini(false, true, false);
    ini.SetQuotes(false);
    if (ini.LoadData(*content) < 0) {
        return {};
    }
    CSimpleIniA::TNamesDepend values;
    ini.GetAllValues(ToAnsi(section).c_str(), ToAnsi(key).c_str(), values);
    if (values.empty() || maxBytes <= 0) {
        return {};
    }
    values.sort(CSimpleIniA::Entry::LoadOrder());
    std::string bytes = WithoutQuotes(values.front().pItem);
    // Cut as bytes, like a fixed buffer would; a character split in two reads as U+FFFD.
    if (bytes.size() > static_cast<size_t>(maxBytes)) {
        bytes.resize(static_cast<size_t>(maxBytes));
    }
    return FromAnsi(bytes);
}

bool WriteProfileString(const QString& filePath, const QString& section, const QString& key,
                        const QString& value) {
    // An unreadable file is not overwritten: its other entries would be lost.
    const std::optional<std::string> content = ReadExisting(filePath);
    if (!content) {
        return false;
    }
    const std::string output =
        WithProfileValue(*content, FirstLine(section), FirstLine(key), FirstLine(value));
    // Replace the file whole where the folder allows it, so a failed write leaves the old one;
    // in a folder that takes no new files, an existing writable file is rewritten in place.
    QSaveFile file(filePath);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const auto size = static_cast<qint64>(output.size());
    if (file.write(output.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace platform
