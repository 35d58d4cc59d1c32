#include "platform/Codepage.h"

#include <iconv.h>

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace platform {
namespace {

constexpr const char* kAnsiCodepage = "CP936";
constexpr const char* kUtf8 = "UTF-8";
constexpr char16_t kReplacement = 0xFFFD;

// Owns one conversion descriptor for the length of a call, so every exit closes it.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [in, in + inLeft) as it can, appending to out; returns the errno
    // that stopped it, or 0 when all input was used.
    int Run(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(cd_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                return errno;
            }
        }
        return 0;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts with this byte; a stray byte counts as one.
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

// Bytes of code page 936 input one undecodable character takes: a lead byte with a byte
// that could trail it is an unassigned pair and goes as one; anything else goes alone, so
// an ASCII byte after a broken lead byte still reads as itself.
size_t BadAnsiCharacterLength(const char* at, size_t left) {
    const auto lead = static_cast<unsigned char>(at[0]);
    if (left < 2 || lead < 0x81 || lead > 0xFE) {
        return 1;
    }
    const auto trail = static_cast<unsigned char>(at[1]);
    return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

size_t OneByte(const char*, size_t) {
    return 1;
}

// The code page 936 family under the names pages declare it by.
const QStringList kCp936Names = {QStringLiteral("gb2312"), QStringLiteral("gbk"),
                                 QStringLiteral("x-gbk"),  QStringLiteral("cp936"),
                                 QStringLiteral("ms936"),  QStringLiteral("windows-936")};

// Only a plain name goes to iconv, which reads suffixes such as "//IGNORE" as orders.
bool IsCharsetName(const QString& name) {
    static const QRegularExpression kPlainName(QStringLiteral("^[a-z0-9][a-z0-9._:-]*$"));
    return kPlainName.match(name).hasMatch();
}

// Converts bytes in the iconv character set `from` to text; each undecodable character,
// as long as badLength says, becomes U+FFFD.
QString Decode(std::string_view bytes, const char* from, size_t (*badLength)(const char*, size_t)) {
    Converter converter(kUtf8, from);
    if (!converter.IsOpen()) {
        return QString(static_cast<qsizetype>(bytes.size()), QChar(kReplacement));
    }
    std::string utf8;
    const char* in = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const int error = converter.Run(in, left, utf8);
        if (error == 0) {
            break;
        }
        utf8 += "\xEF\xBF\xBD";
        const size_t skip = error == EINVAL ? left : badLength(in, left);
        in += skip;
        left -= skip;
    }
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

std::string ToAnsi(const QString& text) {
    // Qt turns an unpaired surrogate into U+FFFD here, which the code page then lacks.
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    Converter converter(kAnsiCodepage, kUtf8);
    if (!converter.IsOpen()) {
        return std::string(static_cast<size_t>(text.size()), '?');
    }
    const char* in = utf8.constData();
    size_t left = static_cast<size_t>(utf8.size());
    while (left > 0) {
        const int error = converter.Run(in, left, out);
        if (error == 0) {
            break;
        }
        // Whether unmappable (EILSEQ) or cut short (EINVAL), the character is replaced.
        out += '?';
        const size_t skip = std::min(Utf8SequenceLength(static_cast<unsigned char>(*in)), left);
        in += skip;
        left -= skip;
    }
    return out;
}

QString FromAnsi(std::string_view bytes) {
    return Decode(bytes, kAnsiCodepage, BadAnsiCharacterLength);
}

QString FromCharset(std::string_view bytes, const QString& charset) {
    const QString name = charset.trimmed().toLower();
    // Pages that said gb2312 were written in its superset; browsers read them so too.
    if (name.isEmpty() || kCp936Names.contains(name) || !IsCharsetName(name)) {
        return FromAnsi(bytes);
    }
    if (name == QLatin1String("gb18030")) {
        return Decode(bytes, "GB18030", BadAnsiCharacterLength);
    }
    const std::string iconvName = name.toStdString();
    if (!Converter(kUtf8, iconvName.c_str()).IsOpen()) {
        return FromAnsi(bytes);
    }
    return Decode(bytes, iconvName.c_str(), OneByte);
}

QString CharsetOf(const std::string& contentType) {
    const QString header = QString::fromLatin1(contentType);
    static const QRegularExpression kCharset(QStringLiteral(R"(;\s*charset\s*=\s*"?([^\s";]*))"),
                                             QRegularExpression::CaseInsensitiveOption);
    return kCharset.match(header).captured(1);
}

int AnsiByteLength(const QString& text) {
    return static_cast<int>(ToAnsi(text).size());
}

}  // namespace platform
