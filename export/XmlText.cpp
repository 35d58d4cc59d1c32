#include "export/XmlText.h"

namespace {

bool IsXmlCharacter(char16_t u) {
    if (u < 0x20) {
        return u == '\t' || u == '\n' || u == '\r';
    }
    return u != 0xFFFE && u != 0xFFFF;
}

}  // namespace

QString XmlCharacters(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
        } else if (c.isSurrogate() || !IsXmlCharacter(c.unicode())) {
            kept += QChar(QChar::ReplacementCharacter);
        } else {
            kept += c;
        }
    }
    return kept;
}

QString XmlEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : XmlCharacters(text)) {
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
            case '\r':
                // A parser reads a bare carriage return as a line feed.
                escaped += QLatin1String("&#13;");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

QString XmlCData(const QString& text) {
    QString inside = XmlCharacters(text);
    inside.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
    return QStringLiteral("<![CDATA[") + inside + QStringLiteral("]]>");
}
