#include "space/PictureAddresses.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <optional>

namespace {

// One start or end tag, with the two attributes a picture is found by: the first of each,
// as a browser takes a repeated attribute.
struct Tag {
    QString name;  // in lower case
    bool closing = false;
    std::optional<QString> src;
    std::optional<QString> href;
};

bool IsBlank(QChar c) {
    return c == QChar(' ') || c == QChar('\t') || c == QChar('\n') || c == QChar('\r') ||
           c == QChar('\f');
}

bool IsAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// Elements whose content a browser reads as text up to their own end tag: a picture tag inside
// one shows nothing.
bool HoldsRawText(const QString& name) {
    static const QSet<QString> names{
        QStringLiteral("script"),   QStringLiteral("style"),    QStringLiteral("xmp"),
        QStringLiteral("iframe"),   QStringLiteral("noembed"),  QStringLiteral("noframes"),
        QStringLiteral("noscript"), QStringLiteral("textarea"), QStringLiteral("title")};
    return names.contains(name);
}

// Reads the tags of a body one after another, as the tokenizer of a browser does, never going
// back: the whole body is read once, whatever it holds.
class BodyReader {
public:
    explicit BodyReader(const QString& body) : body_(body) {}

    // The next tag; nothing at the end of the body, or where the body ends inside a tag or a
    // comment.
    std::optional<Tag> NextTag() {
        for (;;) {
            const qsizetype open = body_.indexOf(QChar('<'), at_);
            if (open < 0 || open + 1 >= body_.size()) {
                return std::nullopt;
            }
            at_ = open + 1;
            const QChar next = body_[at_];
            if (IsAsciiLetter(next)) {
                return ReadTag(false);
            }
            if (next == QChar('/') && at_ + 1 < body_.size() && IsAsciiLetter(body_[at_ + 1])) {
                ++at_;
                return ReadTag(true);
            }
            // "<!--", "<!DOCTYPE", "<?", "</3": comments of one kind or another. A "<" before
            // anything else is text.
            const bool comment = next == QChar('!') || next == QChar('?') || next == QChar('/');
            if (comment && !SkipComment()) {
                return std::nullopt;
            }
        }
    }

    // Passes the text of a raw-text element up to its end tag. False when the body ends first.
    bool SkipRawText(const QString& name) {
        const QString end = QStringLiteral("</") + name;
        for (;;) {
            const qsizetype found = body_.indexOf(end, at_, Qt::CaseInsensitive);
            if (found < 0) {
                return false;
            }
            at_ = found + end.size();
            if (at_ >= body_.size() || IsBlank(body_[at_]) || body_[at_] == QChar('/') ||
                body_[at_] == QChar('>')) {
                at_ = found;
                return true;
            }
        }
    }

private:
    // At the character after "<": passes a comment "<!--…-->" or a declaration, processing
    // instruction or broken end tag up to its ">". False when the body ends first.
    bool SkipComment() {
        if (body_.mid(at_, 3) == QLatin1String("!--")) {
            const qsizetype text = at_ + 3;
            // "<!-->" and "<!--->" are whole, empty comments.
            for (const QLatin1String shortEnd : {QLatin1String(">"), QLatin1String("->")}) {
                if (body_.mid(text, shortEnd.size()) == shortEnd) {
                    at_ = text + shortEnd.size();
                    return true;
                }
            }
            const qsizetype end = body_.indexOf(QLatin1String("-->"), text);
            const qsizetype bangEnd = body_.indexOf(QLatin1String("--!>"), text);
            if (end < 0 && bangEnd < 0) {
                return false;
            }
            const bool bang = bangEnd >= 0 && (end < 0 || bangEnd < end);
            at_ = bang ? bangEnd + 4 : end + 3;
            return true;
        }
        const qsizetype close = body_.indexOf(QChar('>'), at_);
        at_ = close + 1;
        return close >= 0;
    }

    void SkipBlanks(bool slashes) {
        while (at_ < body_.size() &&
               (IsBlank(body_[at_]) || (slashes && body_[at_] == QChar('/')))) {
            ++at_;
        }
    }

    // Up to a blank, "/", ">" or, when stopAtEquals, "=".
    QString ReadName(bool stopAtEquals) {
        const qsizetype start = at_;
        while (at_ < body_.size()) {
            const QChar c = body_[at_];
            if (IsBlank(c) || c == QChar('/') || c == QChar('>') ||
                (stopAtEquals && c == QChar('=') && at_ > start)) {
                break;
            }
            ++at_;
        }
        return body_.mid(start, at_ - start).toLower();
    }

    std::optional<Tag> ReadTag(bool closing) {
        Tag tag;
        tag.closing = closing;
        tag.name = ReadName(false);
        for (;;) {
            SkipBlanks(true);
            if (at_ >= body_.size()) {
                return std::nullopt;
            }
            if (body_[at_] == QChar('>')) {
                ++at_;
                return tag;
            }
            if (!ReadAttribute(tag)) {
                return std::nullopt;
            }
        }
    }

    // False when the body ends inside the attribute.
    bool ReadAttribute(Tag& tag) {
        const QString name = ReadName(true);
        SkipBlanks(false);
        QString value;
        if (at_ < body_.size() && body_[at_] == QChar('=')) {
            ++at_;
            SkipBlanks(false);
            const std::optional<QString> read = ReadValue();
            if (!read) {
                return false;
            }
            value = *read;
        }
        if (name == QLatin1String("src") && !tag.src) {
            tag.src = value;
        } else if (name == QLatin1String("href") && !tag.href) {
            tag.href = value;
        }
        return at_ < body_.size();
    }

    std::optional<QString> ReadValue() {
        if (at_ >= body_.size()) {
            return std::nullopt;
        }
        const QChar quote = body_[at_];
        if (quote == QChar('"') || quote == QChar('\'')) {
            const qsizetype end = body_.indexOf(quote, at_ + 1);
            if (end < 0) {
                return std::nullopt;
            }
            const QString value = body_.mid(at_ + 1, end - at_ - 1);
            at_ = end + 1;
            return value;
        }
        const qsizetype start = at_;
        while (at_ < body_.size() && !IsBlank(body_[at_]) && body_[at_] != QChar('>')) {
            ++at_;
        }
        return body_.mid(start, at_ - start);
    }

    const QString& body_;
    qsizetype at_ = 0;
};

// The character a numeric reference names; U+FFFD for none, as a browser shows it.
QString NumberedCharacter(char32_t code) {
    const bool valid = code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return QString::fromUcs4(valid ? &code : U"\uFFFD", 1);
}

// "&#38;", "&#x26;" or "&amp;" at `at`: the text it stands for and how long it is; nothing when
// none begins there.
std::optional<std::pair<QString, qsizetype>> Reference(const QString& text, qsizetype at) {
    static const QRegularExpression reference(
        QStringLiteral("\\G&(?:#([0-9]{1,8});?|#[xX]([0-9A-Fa-f]{1,8});?|(amp|lt|gt|quot|apos);)"));
    const QRegularExpressionMatch match = reference.match(text, at);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    QString decoded;
    if (match.hasCaptured(1)) {
        decoded = NumberedCharacter(match.captured(1).toUInt());
    } else if (match.hasCaptured(2)) {
        decoded = NumberedCharacter(match.captured(2).toUInt(nullptr, 16));
    } else {
        static const QHash<QString, QString> named{{QStringLiteral("amp"), QStringLiteral("&")},
                                                   {QStringLiteral("lt"), QStringLiteral("<")},
                                                   {QStringLiteral("gt"), QStringLiteral(">")},
                                                   {QStringLiteral("quot"), QStringLiteral("\"")},
                                                   {QStringLiteral("apos"), QStringLiteral("'")}};
        decoded = named.value(match.captured(3));
    }
    return std::make_pair(decoded, match.capturedLength());
}

QString DecodeReferences(const QString& value) {
    QString decoded;
    for (qsizetype i = 0; i < value.size();) {
        if (value[i] == QChar('&')) {
            if (const auto reference = Reference(value, i)) {
                decoded += reference->first;
                i += reference->second;
                continue;
            }
        }
        decoded += value[i++];
    }
    return decoded;
}

// The address with its scheme and host in lower case, as every browser writes them.
QString WithLowerCaseHost(const QString& address) {
    const qsizetype colon = address.indexOf(QChar(':'));
    QString lowered = address.left(colon).toLower() + address.mid(colon);
    if (lowered.mid(colon + 1, 2) != QLatin1String("//")) {
        return lowered;
    }
    const qsizetype host = colon + 3;
    static const QRegularExpression authorityEnd(QStringLiteral("[/?#\\\\]"));
    qsizetype end = lowered.indexOf(authorityEnd, host);
    end = end < 0 ? lowered.size() : end;
    const qsizetype at = lowered.lastIndexOf(QChar('@'), end - 1);
    const qsizetype start = at >= host ? at + 1 : host;
    return lowered.left(start) + lowered.mid(start, end - start).toLower() + lowered.mid(end);
}

}  // namespace

std::optional<QString> PictureAddress(const QString& value, const QUrl& base) {
    if (value.size() > kLongestPictureAddress * 8) {
        return std::nullopt;
    }
    QString text = DecodeReferences(value);
    for (const QChar dropped : {QChar('\t'), QChar('\n'), QChar('\r')}) {
        text.remove(dropped);
    }
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20) {
        ++first;
    }
    while (last > first && text[last - 1].unicode() <= 0x20) {
        --last;
    }
    text = text.mid(first, last - first);
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const QString address = WithLowerCaseHost(
        scheme.match(text).hasMatch() ? text : base.resolved(QUrl(text)).toString());
    const QUrl url(address);
    const QString kind = url.scheme().toLower();
    if ((kind != QLatin1String("http") && kind != QLatin1String("https")) || url.host().isEmpty() ||
        address.size() > kLongestPictureAddress) {
        return std::nullopt;
    }
    return address;
}

namespace {

// The pictures taken so far, each once.
class PictureList {
public:
    bool Full() const { return addresses_.size() >= kMostPicturesPerArticle; }

    void Add(const std::optional<QString>& address) {
        if (address && !Full() && !seen_.contains(*address)) {
            seen_.insert(*address);
            addresses_ << *address;
        }
    }

    QStringList Take() { return std::move(addresses_); }

private:
    QSet<QString> seen_;
    QStringList addresses_;
};

}  // namespace

bool IsPictureAddress(const QUrl& address) {
    const QString path = address.path().toLower();
    for (const char* extension : {".jpg", ".jpeg", ".png", ".gif", ".bmp", ".webp"}) {
        if (path.endsWith(QLatin1String(extension))) {
            return true;
        }
    }
    return false;
}

QStringList PicturesInBody(const QString& body, const QString& articleAddress) {
    const QUrl base(articleAddress);
    BodyReader reader(body);
    PictureList pictures;
    // The picture address of the link open now: a link ends at its end tag or at the next
    // link, which a browser does not let it hold.
    std::optional<QString> link;
    while (!pictures.Full()) {
        const std::optional<Tag> tag = reader.NextTag();
        if (!tag) {
            break;
        }
        if (tag->name == QLatin1String("a")) {
            const std::optional<QString> target =
                tag->closing || !tag->href ? std::nullopt : PictureAddress(*tag->href, base);
            link = target && IsPictureAddress(QUrl(*target)) ? target : std::nullopt;
            continue;
        }
        if (tag->closing) {
            continue;
        }
        // "<image>" is read as "<img>" by every browser.
        if (tag->name == QLatin1String("img") || tag->name == QLatin1String("image")) {
            pictures.Add(tag->src ? PictureAddress(*tag->src, base) : std::nullopt);
            pictures.Add(link);
        } else if (tag->name == QLatin1String("plaintext") ||
                   (HoldsRawText(tag->name) && !reader.SkipRawText(tag->name))) {
            break;
        }
    }
    return pictures.Take();
}
