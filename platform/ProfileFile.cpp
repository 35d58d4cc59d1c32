#include "platform/ProfileFile.h"

// Only the byte-string parser is used, so no UTF library is needed; Debian's header keeps
// the template bodies behind SI_IMPLEMENTATION, which lets the header stand alone.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QSaveFile>
#include <optional>
#include <string>

#include "platform/Codepage.h"

namespace platform {
namespace {

// The file is kept as code page 936 bytes throughout, so the parser must not guess at a
// Unicode encoding, and entries are written as "key=value" like the Windows profile calls do.
void SetUpParser(CSimpleIniA& ini) {
    ini.SetUnicode(false);
    ini.SetSpaces(false);
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetQuotes(false);
}

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

// The parser ends lines with LF on this platform; profile files end them with CR LF.
class CrLfWriter : public CSimpleIniA::OutputWriter {
public:
    explicit CrLfWriter(std::string& out) : out_(out) {}
    void Write(const char* text) override {
        for (; *text != '\0'; ++text) {
            if (*text == '\n' && previous_ != '\r') {
                out_ += '\r';
            }
            out_ += *text;
            previous_ = *text;
        }
    }

private:
    std::string& out_;
    char previous_ = '\0';
};

}  // namespace

QString ReadProfileString(const QString& filePath, const QString& section, const QString& key,
                          int maxBytes) {
    const std::optional<std::string> content = ReadExisting(filePath);
    if (!content || content->empty()) {
        return {};
    }
    CSimpleIniA ini;
    SetUpParser(ini);
    if (ini.LoadData(*content) < 0) {
        return {};
    }
    const char* value = ini.GetValue(ToAnsi(section).c_str(), ToAnsi(key).c_str(), nullptr);
    if (value == nullptr || maxBytes <= 0) {
        return {};
    }
    std::string bytes = WithoutQuotes(value);
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
    CSimpleIniA ini;
    SetUpParser(ini);
    if (ini.LoadData(*content) < 0) {
        return false;
    }
    if (ini.SetValue(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(value).c_str()) < 0) {
        return false;
    }
    std::string output;
    CrLfWriter writer(output);
    if (ini.Save(writer, false) < 0) {
        return false;
    }
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
