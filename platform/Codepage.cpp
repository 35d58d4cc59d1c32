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

// Owns one conversion descriptor, closed when it goes.
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

    // Forgets anything a conversion before left behind, as a newly opened one would.
    void Reset() {
        if (IsOpen()) {
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
    }

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

// Opening a converter costs far more than most texts take to convert, and a descriptor may
// not be shared between threads, so each thread keeps its own for the program's character
// sets.
struct ThreadConverters {
    Converter toAnsi{kAnsiCodepage, kUtf8};
    Converter fromAnsi{kUtf8, kAnsiCodepage};
    Converter fromGb18030{kUtf8, "GB18030"};
};

Converter& Cached(Converter ThreadConverters::*which) {
    thread_local ThreadConverters converters;
    Converter& converter = converters.*which;
    converter.Reset();
    return converter;
}

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

// Converts the bytes with the open converter, appending UTF-8 to out; each undecodable
// character, as long as badLength says, becomes U+FFFD.
void DecodeRun(Converter& converter, std::string_view bytes,
               size_t (*badLength)(const char*, size_t), std::string& out) {
    const char* in = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const int error = converter.Run(in, left, out);
        if (error == 0) {
            break;
        }
        out += "\xEF\xBF\xBD";
        const size_t skip = error == EINVAL ? left : badLength(in, left);
        in += skip;
        left -= skip;
    }
}

// Converts bytes in the iconv character set of the converter to text; each undecodable
// character, as long as badLength says, becomes U+FFFD.
QString Decode(std::string_view bytes, Converter& converter,
               size_t (*badLength)(const char*, size_t)) {
    if (!converter.IsOpen()) {
        return QString(static_cast<qsizetype>(bytes.size()), QChar(kReplacement));
    }
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 2);
    DecodeRun(converter, bytes, badLength, utf8);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Where the character that starts at `at` ends in code page 936 bytes, as the converter and
// BadAnsiCharacterLength cut them: a lead byte takes the byte after it when that could
// trail it, whether or not the pair is assigned.
size_t AnsiCharacterEnd(std::string_view bytes, size_t at) {
    return at + BadAnsiCharacterLength(bytes.data() + at, bytes.size() - at);
}

// Pages are mostly markup in ASCII, which reads as itself in code page 936: only the runs
// of other characters go through the converter, cut where a character ends, so that the
// text comes out as converting the whole would give it.
QString DecodeAnsi(std::string_view bytes) {
    Converter& converter = Cached(&ThreadConverters::fromAnsi);
    if (!converter.IsOpen()) {
        return QString(static_cast<qsizetype>(bytes.size()), QChar(kReplacement));
    }
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 2);
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = at;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) {
            ++end;
        }
        utf8.append(bytes.data() + at, end - at);
        at = end;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) {
            end = AnsiCharacterEnd(bytes, end);
        }
        if (end > at) {
            DecodeRun(converter, bytes.substr(at, end - at), BadAnsiCharacterLength, utf8);
            at = end;
        }
    }
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

std::string ToAnsi(const QString& text) {
    // Qt turns an unpaired surrogate into U+FFFD here, which the code page then lacks.
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    Converter& converter = Cached(&ThreadConverters::toAnsi);
    if (!converter.IsOpen()) {
        return std::string(static_cast<size_t>(text.size()), '?');
    }
    out.reserve(static_cast<size_t>(utf8.size()));
    const char* in = utf8.constData();
    const char* const end = in + utf8.size();
    while (in < end) {
        // ASCII is the same in the code page; only other characters need the converter, and
        // a UTF-8 sequence never holds an ASCII byte, so runs cut there convert as the whole.
        const char* run = in;
        while (run < end && static_cast<unsigned char>(*run) < 0x80) {
            ++run;
        }
        out.append(in, static_cast<size_t>(run - in));
        in = run;
        while (run < end && static_cast<unsigned char>(*run) >= 0x80) {
            ++run;
        }
        size_t left = static_cast<size_t>(run - in);
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
    }
    return out;
}

QString FromAnsi(std::string_view bytes) {
    return DecodeAnsi(bytes);
}

QString FromCharset(std::string_view bytes, const QString& charset) {
    const QString name = charset.trimmed().toLower();
    // Pages that said gb2312 were written in its superset; browsers read them so too.
    if (name.isEmpty() || kCp936Names.contains(name) || !IsCharsetName(name)) {
        return FromAnsi(bytes);
    }
    if (name == QLatin1String("gb18030")) {
        return Decode(bytes, Cached(&ThreadConverters::fromGb18030), BadAnsiCharacterLength);
    }
    const std::string iconvName = name.toStdString();
    Converter converter(kUtf8, iconvName.c_str());
    if (!converter.IsOpen()) {
        return FromAnsi(bytes);
    }
    return Decode(bytes, converter, OneByte);
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
