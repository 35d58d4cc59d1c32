#include "reading/HtmlText.h"

#include <QStringList>

namespace {

// The ASCII characters a path keeps in a link; every other one ("%", "#", "?", "&", quotes,
// blanks, controls) is percent-encoded.
const QLatin1String kKeptInLinks(
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~!$()*+,;=:@");

}  // namespace

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
            default:
                escaped += c;
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
