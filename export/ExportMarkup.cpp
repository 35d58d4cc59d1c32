#include "export/ExportMarkup.h"

#include <QRegularExpression>

#include "space/SpaceText.h"

namespace {

bool IsControl(char16_t u) {
    return (u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0x7F;
}

bool StartsTag(const QString& text, qsizetype at) {
    if (at + 1 >= text.size()) {
        return false;
    }
    const QChar next = text[at + 1];
    return (next.unicode() < 0x80 && next.isLetter()) || next == QChar('/') || next == QChar('!');
}

// Whether a tag ("<br>", "</p>", "<div class=x>") ends a line of the text it stands in.
bool BreaksLine(QStringView tag) {
    static const QRegularExpression breaking(QStringLiteral("^</?(br|p|div|li|tr)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    return breaking.match(tag.toString()).hasMatch();
}

// The markup without its tags, a line break where a tag ended a line.
QString TextWithLineBreaks(const QString& markup) {
    QString text;
    text.reserve(markup.size());
    qsizetype i = 0;
    while (i < markup.size()) {
        const qsizetype open = markup.indexOf(QChar('<'), i);
        if (open < 0) {
            text += QStringView(markup).mid(i);
            break;
        }
        text += QStringView(markup).mid(i, open - i);
        const qsizetype close = StartsTag(markup, open) ? markup.indexOf(QChar('>'), open) : -1;
        if (close < 0) {
            text += QChar('<');
            i = open + 1;
            continue;
        }
        if (BreaksLine(QStringView(markup).mid(open, close - open))) {
            text += QChar('\n');
        }
        i = close + 1;
    }
    return text;
}

}  // namespace

QString WithoutControls(const QString& text) {
    QString kept = text;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const QChar c = kept[i];
        if (c.isHighSurrogate() && i + 1 < kept.size() && kept[i + 1].isLowSurrogate()) {
            ++i;
        } else if (IsControl(c.unicode()) || c.isSurrogate()) {
            kept[i] = QChar::ReplacementCharacter;
        }
    }
    return kept;
}

QString ShownTitle(const QString& title) {
    return WithoutControls(title).trimmed();
}

QString CellText(const QString& markup) {
    QString text = TextWithLineBreaks(markup);
    text.replace(QStringLiteral("&nbsp;"), QString(QChar(0xA0)));
    return WithoutControls(DecodeEntities(text)).trimmed();
}
