#include "space/SpaceText.h"

#include <algorithm>
#include <utility>

namespace {

// The character a numeric reference ("39", "x27") names, U+FFFD for a number naming none,
// or empty when it is no number.
QString NumberedCharacter(QStringView digits) {
    const bool hex = digits.startsWith(QChar('x')) || digits.startsWith(QChar('X'));
    const QStringView number = digits.mid(hex ? 1 : 0);
    const QLatin1String allowed(hex ? "0123456789abcdefABCDEF" : "0123456789");
    if (number.isEmpty() ||
        !std::all_of(number.begin(), number.end(), [&](QChar c) { return allowed.contains(c); })) {
        return {};
    }
    bool fits = false;
    const uint code = number.toUInt(&fits, hex ? 16 : 10);
    const bool character =
        fits && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    const char32_t kept = character ? code : char32_t{QChar::ReplacementCharacter};
    return QString::fromUcs4(&kept, 1);
}

// The longest reference a title holds: "&#x10FFFF;".
constexpr qsizetype kMaxReference = 10;

}  // namespace

QString DecodeEntities(const QString& text) {
    static const std::pair<QLatin1String, QChar> kNamed[] = {{QLatin1String("amp"), QChar('&')},
                                                             {QLatin1String("lt"), QChar('<')},
                                                             {QLatin1String("gt"), QChar('>')},
                                                             {QLatin1String("quot"), QChar('"')},
                                                             {QLatin1String("apos"), QChar('\'')}};
    QString decoded;
    decoded.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype end = text.indexOf(QChar(';'), i + 1);
        if (text[i] != QChar('&') || end < 0 || end - i > kMaxReference) {
            decoded += text[i++];
            continue;
        }
        const QStringView name = QStringView(text).mid(i + 1, end - i - 1);
        QString replacement;
        if (name.size() > 1 && name.front() == QChar('#')) {
            replacement = NumberedCharacter(name.mid(1));
        }
        for (const auto& [entity, character] : kNamed) {
            if (name == entity) {
                replacement = character;
            }
        }
        if (replacement.isEmpty()) {
            decoded += text[i++];
            continue;
        }
        decoded += replacement;
        i = end + 1;
    }
    return decoded;
}
