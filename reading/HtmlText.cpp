#include "reading/HtmlText.h"

#include <QStringList>
#include <QUrl>

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
    QStringList names = path.split(QChar('/'));
    for (QString& name : names) {
        name = QString::fromLatin1(QUrl::toPercentEncoding(name));
    }
    return names.join(QChar('/'));
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
