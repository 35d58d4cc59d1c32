#include "reading/HtmlText.h"

#include <QStringList>
#include <QUrl>
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

// Characters that show nothing themselves but change what is around them: the bidi controls
// ("report\u202Efdp.exe" shows as "reportexe.pdf"), zero-width joiners and spaces, and every
// other format character (Unicode's Cf).
bool IsInvisibleFormat(char32_t code) {
    return QChar::category(code) == QChar::Other_Format;
}

// A visible mark for such a character: "[U+202E]".
QString VisibleMark(char32_t code) {
    return QStringLiteral("[U+%1]").arg(static_cast<uint>(code), 4, 16, QChar('0')).toUpper();
}

// The escaped text of one character (a pair of surrogates counts as one); with `marked`,
// an invisible format character becomes its visible mark.
void AppendEscaped(QString& escaped, char32_t code, bool marked) {
    switch (code) {
        case '&':
            escaped += QLatin1String("&amp;");
            return;
        case '<':
            escaped += QLatin1String("&lt;");
            return;
        case '>':
            escaped += QLatin1String("&gt;");
            return;
        case '"':
            escaped += QLatin1String("&quot;");
            return;
        case '\'':
            escaped += QLatin1String("&#39;");
            return;
        case '\t':
        case '\n':
        case '\r':
            escaped += QChar(code);
            return;
        default:
            break;
    }
    // A raw control character makes a page unreadable to some parsers and is shown by none.
    if (code < 0x20 || code == 0x7F) {
        escaped += QChar(QChar::ReplacementCharacter);
    } else if (marked && IsInvisibleFormat(code)) {
        escaped += VisibleMark(code);
    } else {
        escaped += QString::fromUcs4(&code, 1);
    }
}

QString Escaped(const QString& text, bool marked) {
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const char32_t code : text.toUcs4()) {
        AppendEscaped(escaped, code, marked);
    }
    return escaped;
}

// The character as a link writes it: as it is, or percent-encoded in UTF-8.
void AppendLinked(QString& link, char32_t code) {
    // Characters beyond ASCII stand as they are, as browsers take them in a UTF-8 page, but
    // for those that show nothing.
    const bool kept =
        code >= 0x80
            ? !IsInvisibleFormat(code)
            : code == '/' || (code < 0x7F && kKeptInLinks.contains(QLatin1Char(char(code))));
    if (kept) {
        link += QString::fromUcs4(&code, 1);
        return;
    }
    for (const char byte : QString::fromUcs4(&code, 1).toUtf8()) {
        link += QStringLiteral("%%1").arg(static_cast<uchar>(byte), 2, 16, QChar('0')).toUpper();
    }
}

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
    return Escaped(text, true);
}

QString EscapeBodyText(const QString& text) {
    return Escaped(text, false);
}

QString RelativeLink(const QString& path) {
    // "./" first: a first folder named "http:host" or "javascript:…" would read as a scheme.
    QString link = QStringLiteral("./");
    link.reserve(path.size() + 16);
    for (const char32_t code : path.toUcs4()) {
        AppendLinked(link, code);
    }
    return link;
}

QString SavedFileLink(const QString& path, const QString& caption, bool fromReadingFolder) {
    const QString href =
        fromReadingFolder ? QStringLiteral("../") + RelativeLink(path).mid(2) : RelativeLink(path);
    // A saved page holds the article's markup as the service sent it, scripts and all: it is
    // offered for download, never opened as a page of the copy.
    const bool page = path.endsWith(QLatin1String(".html")) || path.endsWith(QLatin1String(".htm"));
    return QStringLiteral("<a href=\"") + EscapeHtml(href) + QChar('"') +
           (page ? QStringLiteral(" download") : QString()) + QChar('>') + EscapeHtml(caption) +
           QStringLiteral("</a>");
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
    const QUrl url(web);
    if (!url.isValid()) {
        return EscapeHtml(text);
    }
    const QString href = url.toString(QUrl::FullyEncoded);
    return QStringLiteral("<a class=\"pagewren-away\" href=\"") + EscapeHtml(href) +
           QStringLiteral("\" title=\"离开阅读版：") + EscapeHtml(href) +
           QStringLiteral("\" target=\"_blank\" rel=\"noopener noreferrer\">") + EscapeHtml(text) +
           QStringLiteral("</a>");
}
