#include "reading/HtmlText.h"

#include <QStringList>
#include <algorithm>
#include <utility>

namespace {

// The ASCII characters a path keeps in a link; every other one ("%", "#", "?", "&", quotes,
// blanks, controls) is percent-encoded.
const QLatin1String kKeptInLinks(
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~!$()*+,;=:@");

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

QString EscapeHtml(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '&':
                escaped += QLatin1String("&amp;");
                break;
            case '<':
                escaped += QLatin1String("&lt;");
                break;
            case '>':
                escaped += QLatin1String("&gt;");
                break;
            case '"':
                escaped += QLatin1String("&quot;");
                break;
            case '\'':
                escaped += QLatin1String("&#39;");
                break;
            case '\t':
            case '\n':
            case '\r':
                escaped += c;
                break;
            default:
                // A raw control character makes a page unreadable to some parsers and is
                // shown by none.
                escaped += c.unicode() < 0x20 || c.unicode() == 0x7F
                               ? QChar(QChar::ReplacementCharacter)
                               : c;
        }
    }
    return escaped;
}

QString RelativeLink(const QString& path) {
    QString link;
    link.reserve(path.size() + 16);
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        // Characters beyond ASCII stand as they are, as browsers take them in a UTF-8 page.
        if (u >= 0x80 || u == '/' ||
            (u < 0x7F && kKeptInLinks.contains(QLatin1Char(static_cast<char>(u))))) {
            link += c;
        } else {
            link += QStringLiteral("%%1").arg(u, 2, 16, QChar('0')).toUpper();
        }
    }
    return link;
}

QString WebAddress(const QString& address) {
    const bool web = address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                     address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    return web ? address : QString();
}

QString WebLink(const QString& address, const QString& text) {
    const QString web = WebAddress(address);
    if (web.isEmpty()) {
        return EscapeHtml(text);
    }
    return QStringLiteral("<a href=\"") + EscapeHtml(web) + QStringLiteral("\">") +
           EscapeHtml(text) + QStringLiteral("</a>");
}
