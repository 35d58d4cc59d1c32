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

QString WithoutTags(const QString& markup) {
    QString text;
    bool inTag = false;
    for (const QChar c : markup) {
        if (c == QChar('<')) {
            inTag = true;
        } else if (c == QChar('>') && inTag) {
            inTag = false;
        } else if (!inTag) {
            text += c;
        }
    }
    return text;
}
