#include "reading/CssCleaner.h"

#include <QSet>
#include <algorithm>

namespace {

// Functions that only compute a value or name a colour, a counter, a transform or a font
// already on the machine; none of them can name a file to fetch.
bool IsHarmlessFunction(const QString& name) {
    static const QSet<QString> kHarmless = {QStringLiteral("rgb"),
                                            QStringLiteral("rgba"),
                                            QStringLiteral("hsl"),
                                            QStringLiteral("hsla"),
                                            QStringLiteral("calc"),
                                            QStringLiteral("min"),
                                            QStringLiteral("max"),
                                            QStringLiteral("clamp"),
                                            QStringLiteral("var"),
                                            QStringLiteral("attr"),
                                            QStringLiteral("counter"),
                                            QStringLiteral("counters"),
                                            QStringLiteral("rect"),
                                            QStringLiteral("cubic-bezier"),
                                            QStringLiteral("steps"),
                                            QStringLiteral("translate"),
                                            QStringLiteral("translatex"),
                                            QStringLiteral("translatey"),
                                            QStringLiteral("rotate"),
                                            QStringLiteral("scale"),
                                            QStringLiteral("scalex"),
                                            QStringLiteral("scaley"),
                                            QStringLiteral("skew"),
                                            QStringLiteral("skewx"),
                                            QStringLiteral("skewy"),
                                            QStringLiteral("matrix"),
                                            QStringLiteral("local"),
                                            QStringLiteral("format"),
                                            QStringLiteral("linear-gradient"),
                                            QStringLiteral("radial-gradient")};
    return kHarmless.contains(name);
}

bool IsNameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == QChar('-') || c == QChar('_') || c.unicode() >= 0x80;
}

// CR and FF end a line as LF does.
bool IsNewline(QChar c) {
    return c == QChar('\n') || c == QChar('\r') || c == QChar('\f');
}

bool IsHexDigit(QChar c) {
    return (c >= QChar('0') && c <= QChar('9')) || (c >= QChar('a') && c <= QChar('f')) ||
           (c >= QChar('A') && c <= QChar('F'));
}

class CssReader {
public:
    explicit CssReader(const QString& css) : css_(css) {}

    QString Clean() {
        while (at_ < css_.size()) {
            Step();
        }
        return out_;
    }

private:
    QChar Peek(qsizetype ahead = 0) const {
        return at_ + ahead < css_.size() ? css_[at_ + ahead] : QChar();
    }

    bool AtComment() const { return Peek() == QChar('/') && Peek(1) == QChar('*'); }

    void Step() {
        const QChar c = Peek();
        if (AtComment()) {
            SkipComment();
            out_ += QChar(' ');
        } else if (c == QChar('"') || c == QChar('\'')) {
            out_ += ReadString();
        } else if (c == QChar('@')) {
            ++at_;
            AtRule();
        } else if (IsNameCharacter(c) || c == QChar('\\')) {
            Name();
        } else {
            out_ += c;
            ++at_;
        }
    }

    void SkipComment() {
        const qsizetype end = css_.indexOf(QStringLiteral("*/"), at_ + 2);
        at_ = end < 0 ? css_.size() : end + 2;
    }

    // A string, closed; one that holds an escape or a parenthesis could be read otherwise
    // than here, and is left empty.
    QString ReadString() {
        const QChar quote = Peek();
        const qsizetype start = at_++;
        bool escaped = false;
        while (at_ < css_.size() && Peek() != quote && !IsNewline(Peek())) {
            escaped = escaped || Peek() == QChar('\\') || Peek() == QChar('(');
            at_ += Peek() == QChar('\\') ? 2 : 1;
        }
        at_ = std::min(at_, css_.size());
        const QString body = css_.mid(start + 1, at_ - start - 1);
        if (Peek() == quote) {
            ++at_;
        }
        return escaped ? QString(quote) + quote : quote + body + quote;
    }

    // A name as the tokenizer reads it, escapes included ("\75 rl" is "url").
    QString ReadName() {
        const qsizetype start = at_;
        while (at_ < css_.size()) {
            if (Peek() == QChar('\\')) {
                ++at_;
                int hex = 0;
                while (hex < 6 && IsHexDigit(Peek())) {
                    ++at_;
                    ++hex;
                }
                if (hex == 0) {
                    ++at_;
                } else if (Peek().isSpace()) {
                    ++at_;
                }
            } else if (IsNameCharacter(Peek())) {
                ++at_;
            } else {
                break;
            }
        }
        at_ = std::min(at_, css_.size());
        return css_.mid(start, at_ - start);
    }

    void Name() {
        const QString name = ReadName();
        if (Peek() != QChar('(')) {
            out_ += name;
        } else if (!name.contains(QChar('\\')) && IsHarmlessFunction(name.toLower())) {
            out_ += name + QChar('(');
            ++at_;
        } else {
            ++at_;
            SkipTo(QChar(')'));
            out_ += QStringLiteral("none");
        }
    }

    void AtRule() {
        const QString name = ReadName();
        if (name.contains(QChar('\\')) ||
            name.compare(QLatin1String("import"), Qt::CaseInsensitive) == 0) {
            SkipTo(QChar(';'));
        } else if (Peek() == QChar('(')) {
            // No at-rule takes brackets at once; whatever "@url(" means, it goes.
            ++at_;
            SkipTo(QChar(')'));
            out_ += QStringLiteral("none");
        } else {
            out_ += QChar('@') + name;
        }
    }

    // Skips past the end character at this level (for ";", past the block that opens first);
    // what nests (brackets, strings, comments) is skipped whole. Stops before a "}" that
    // closes the enclosing block.
    void SkipTo(QChar end) {
        int depth = 0;
        while (at_ < css_.size()) {
            if (AtComment()) {
                SkipComment();
                continue;
            }
            const QChar c = Peek();
            if (c == QChar('"') || c == QChar('\'')) {
                ReadString();
                continue;
            }
            if (depth == 0 && c == QChar('}')) {
                return;
            }
            at_ += c == QChar('\\') ? 2 : 1;
            if (c == QChar('(') || c == QChar('{') || c == QChar('[')) {
                ++depth;
            } else if (c == QChar(')') || c == QChar('}') || c == QChar(']')) {
                if (depth == 0 && c == end) {
                    return;
                }
                depth = std::max(depth - 1, 0);
                if (depth == 0 && c == QChar('}') && end == QChar(';')) {
                    return;
                }
            } else if (depth == 0 && c == end) {
                return;
            }
        }
        at_ = std::min(at_, css_.size());
    }

    const QString& css_;
    qsizetype at_ = 0;
    QString out_;
};

}  // namespace

QString CleanCss(const QString& css) {
    return CssReader(css).Clean();
}
