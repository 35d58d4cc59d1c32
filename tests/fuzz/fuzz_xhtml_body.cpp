// Rewrites the input as an article body into XHTML as every export does (a book's full pictures,
// a site's links to its copies, a WXR file's pictures as shown) and stops at once when the
// result, put in one XHTML element, is no well-formed XML (a book whose documents do not parse
// is no book), holds an element or attribute that runs or sends anything, a link or picture
// leading anywhere but to a web address or what the lookup of pictures answered, or grows more
// than the rewriting of each element of the parsed body and each character can make it grow, or
// changes size when rewritten again.
// Input: one byte choosing the answer the lookup gives for some pictures, then the body in
// UTF-8.
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/ParsedMarkup.h"
#include "export/XhtmlBody.h"

namespace {

const QString kPage = QStringLiteral("http://hi.baidu.com/exportwren/blog/item/5d1a9b2f.html");

// Answers no export gives, but which its writer must still escape: markup, a way out of the
// book, a script, characters no XML document may hold, blanks a parser reads as spaces.
const QStringList kOddAnswers = {
    QStringLiteral("images/\"><script>alert(1)</script>.jpg"),
    QStringLiteral("javascript:alert(1)"),
    QStringLiteral("../../]]>&amp;<!--.png"),
    QStringLiteral("images/p\x01\x1f") + QChar(0xFFFE) + QChar(0xD800) + QStringLiteral(".gif"),
    QStringLiteral("images/a\tb\nc\rd.jpg"),
    QStringLiteral("data:text/html,<b onload=x>"),
};

// The most an element of the parsed body may grow to besides its attributes: the wrappers a table
// or list adds around what may not stand in it ("<tbody><tr><td>" and their end tags), the CSS of
// an element HTML5 no longer has ("display:block;" and a look such as "text-align:center;"), or
// a picture's link with its caption; the page's address (read against) and the lookup's answer
// are added to it.
constexpr qsizetype kElementGrowth = 160;
// The most a character of the body's text or attributes may grow to: '"' written "&quot;", and
// a character of an address percent-encoded as UTF-8 ("%E5%9B%BE", nine for one).
constexpr qsizetype kCharacterGrowth = 9;

void Check(bool held) {
    if (!held) {
        __builtin_trap();
    }
}

class Lookup {
public:
    explicit Lookup(const QString& odd) : odd_(odd) {}

    // A copy for some pictures, none for others, the address itself for others (as a WXR file
    // and a site keep it), and the odd answer for the rest.
    QString operator()(const QString& address) {
        unsigned sum = 0;
        for (const QChar c : address) {
            sum = sum * 31 + c.unicode();
        }
        QString answer;
        switch (sum % 4) {
            case 0:
                answer = QStringLiteral("images/p%1.jpg").arg(sum);
                break;
            case 1:
                answer = address;
                break;
            case 2:
                answer = odd_;
                break;
            default:
                return {};
        }
        given_.insert(AsRead(answer));
        longest_ = std::max(longest_, answer.size());
        return answer;
    }

    bool Gave(const QString& value) const { return given_.contains(value); }
    qsizetype Longest() const { return longest_; }

private:
    // The answer as an XML parser reads it back from an attribute: characters no XML document
    // holds replaced, a tab or line feed read as a space.
    static QString AsRead(const QString& answer) {
        QString read;
        for (qsizetype i = 0; i < answer.size(); ++i) {
            const char16_t u = answer[i].unicode();
            const bool pair = QChar::isHighSurrogate(u) && i + 1 < answer.size() &&
                              answer[i + 1].isLowSurrogate();
            if (pair) {
                read += answer[i];
                read += answer[++i];
            } else if (u == '\t' || u == '\n') {
                read += QChar(' ');
            } else if ((u < 0x20 && u != '\r') || QChar::isSurrogate(u) || u == 0xFFFE ||
                       u == 0xFFFF) {
                read += QChar(QChar::ReplacementCharacter);
            } else {
                read += answer[i];
            }
        }
        return read;
    }

    QString odd_;
    QSet<QString> given_;
    qsizetype longest_ = 0;
};

bool IsWebAddress(const QString& value) {
    return value.startsWith(QLatin1String("http://")) ||
           value.startsWith(QLatin1String("https://"));
}

bool IsForbiddenElement(const QString& name) {
    static const QSet<QString> kForbidden = {
        QStringLiteral("script"), QStringLiteral("iframe"), QStringLiteral("object"),
        QStringLiteral("embed"),  QStringLiteral("form"),   QStringLiteral("style"),
        QStringLiteral("frame"),  QStringLiteral("applet"), QStringLiteral("base"),
        QStringLiteral("meta"),   QStringLiteral("link")};
    return kForbidden.contains(name.toLower());
}

void CheckAttributes(const QXmlStreamAttributes& attributes, const Lookup& lookup) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QString name = attribute.qualifiedName().toString().toLower();
        const QString value = attribute.value().toString();
        Check(!name.startsWith(QLatin1String("on")));
        if (name == QLatin1String("href") || name == QLatin1String("src")) {
            Check(IsWebAddress(value) || lookup.Gave(value));
        }
        if (name == QLatin1String("style")) {
            const QString style = value.toLower();
            Check(!style.contains(QLatin1String("url(")) &&
                  !style.contains(QLatin1String("expression(")));
        }
    }
}

// Reads the body as the one XHTML element holding it: it must parse to its end.
void CheckXhtml(const QString& xhtml, const Lookup& lookup) {
    QXmlStreamReader reader(QStringLiteral("<div xmlns=\"http://www.w3.org/1999/xhtml\">") + xhtml +
                            QStringLiteral("</div>"));
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            Check(!IsForbiddenElement(reader.name().toString()));
            Check(reader.namespaceUri() == QLatin1String("http://www.w3.org/1999/xhtml"));
            CheckAttributes(reader.attributes(), lookup);
        }
    }
    Check(!reader.hasError());
}

// What the body's XHTML may grow from: each character of the markup, and each element of its
// tree with its own attributes (the HTML5 parser opens an unclosed "b" or "a" again, attributes
// and all, in every block that follows, which the rewriting must write as the parser built it).
struct Growable {
    qsizetype characters = 0;
    qsizetype elements = 0;
};

Growable GrowableOf(const QString& markup) {
    Growable growable{markup.size(), 0};
    const ParsedMarkup parsed(markup);
    std::vector<const GumboNode*> nodes;
    if (parsed.Root() != nullptr) {
        nodes.push_back(parsed.Root());
    }
    while (!nodes.empty()) {
        const GumboNode* node = nodes.back();
        nodes.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) {
            continue;
        }
        ++growable.elements;
        const GumboVector& attributes = node->v.element.attributes;
        for (unsigned i = 0; i < attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
            growable.characters += QString::fromUtf8(attribute->value).size();
        }
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            nodes.push_back(static_cast<const GumboNode*>(children.data[i]));
        }
    }
    return growable;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QString odd = kOddAnswers[data[0] % kOddAnswers.size()];
    const QString markup = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                             static_cast<qsizetype>(size - 1));
    const Growable growable = GrowableOf(markup);
    for (const PictureChoice choice :
         {PictureChoice::AsShown, PictureChoice::FullWhenLinked, PictureChoice::LinkedToCopy}) {
        Lookup lookup(odd);
        const QString xhtml = BodyAsXhtml(
            markup, kPage, [&](const QString& address) { return lookup(address); }, choice);
        CheckXhtml(xhtml, lookup);
        Check(xhtml.size() <=
              kCharacterGrowth * growable.characters +
                  (growable.elements + 1) * (kElementGrowth + kPage.size() + lookup.Longest()));
    }
    // Rewritten again, with pictures kept at their addresses as a WXR file keeps them, the body
    // keeps its size: the first rewriting left nothing a second one would still mend.
    const PictureSource sameAddress = [](const QString& address) { return address; };
    const QString once = BodyAsXhtml(markup, kPage, sameAddress);
    Check(BodyAsXhtml(once, kPage, sameAddress).size() == once.size());
    return 0;
}
