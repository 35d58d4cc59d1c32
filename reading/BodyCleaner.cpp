#include "reading/BodyCleaner.h"

#include <gumbo.h>

#include <QStringList>
#include <QUrl>
#include <optional>
#include <utility>
#include <vector>

#include "reading/BodyAllowList.h"
#include "reading/CssCleaner.h"
#include "reading/HtmlText.h"
#include "reading/ParseBudget.h"
#include "space/PictureNames.h"

namespace {

// A result that cleaning again would still change after this many rounds is shown as text.
constexpr int kMostRounds = 3;

const QString kPictureCaption = QStringLiteral("[图片]");

// Far longer than any name PictureFileStem makes.
constexpr qsizetype kLongestPictureFileName = 128;

// The bidi controls that embed, override or isolate: in a title box they turn the text
// around them ("report\u202Efdp.exe" shows as "reportexe.pdf"), so they show as marks.
bool IsBidiControl(char16_t u) {
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// A text as markup: what would start a tag or a reference escaped, CR (which a parser would
// read as LF) as a reference, other control characters, which no page may hold, as U+FFFD,
// and bidi controls as visible marks ("[U+202E]").
QString EscapeText(const QString& text, bool attribute) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '&') {
            escaped += QLatin1String("&amp;");
        } else if (u == '<') {
            escaped += QLatin1String("&lt;");
        } else if (u == '>') {
            escaped += QLatin1String("&gt;");
        } else if (u == '"' && attribute) {
            escaped += QLatin1String("&quot;");
        } else if (u == '\r') {
            escaped += QLatin1String("&#13;");
        } else if ((u < 0x20 && u != '\t' && u != '\n' && u != '\f') || u == 0x7F) {
            escaped += QChar(QChar::ReplacementCharacter);
        } else if (IsBidiControl(u)) {
            escaped += QStringLiteral("[U+%1]").arg(static_cast<uint>(u), 4, 16).toUpper();
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The address as a URL parser reads it: blanks and controls at its ends, tabs and line
// breaks inside it, left out.
QString BareAddress(const QString& value) {
    QString bare;
    for (const QChar c : value) {
        if (c != QChar('\t') && c != QChar('\n') && c != QChar('\r')) {
            bare += c;
        }
    }
    qsizetype start = 0;
    qsizetype end = bare.size();
    while (start < end && bare[start].unicode() <= 0x20) {
        ++start;
    }
    while (end > start && bare[end - 1].unicode() <= 0x20) {
        --end;
    }
    return bare.mid(start, end - start);
}

bool IsWeb(const QUrl& url) {
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

// The address as CleanedWebAddress gives it, read against the base when there is one; an
// absolute address is resolved against itself so that its dot segments go as they do then.
QString WebAddressAgainst(const QUrl& base, const QString& bare) {
    if (bare.isEmpty()) {
        return {};
    }
    const QUrl url(bare);
    const QUrl resolved = (base.isEmpty() ? url : base).resolved(url);
    return IsWeb(resolved) ? resolved.toString(QUrl::FullyEncoded) : QString();
}

bool IsPictureFileName(QStringView name) {
    if (name.isEmpty() || name.size() > kLongestPictureFileName || name.front() == QChar('.')) {
        return false;
    }
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QChar('-') && c != QChar('_') && c != QChar('.')) {
            return false;
        }
    }
    return true;
}

const QString& PictureFolderLink() {
    static const QString link =
        QStringLiteral("../") + RelativeLink(kPictureFolderName).mid(2) + QChar('/');
    return link;
}

// Whether the class list names the class; names are parted by ASCII blanks, as a browser
// parts them.
bool HasClass(const QString& classes, const QString& name) {
    qsizetype start = 0;
    while (start <= classes.size()) {
        qsizetype end = start;
        while (end < classes.size() && !QStringView(u" \t\n\f\r").contains(classes[end])) {
            ++end;
        }
        if (QStringView(classes).mid(start, end - start) == name) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

struct Attribute {
    QString name;
    QString value;
};

class BodyWriter {
public:
    BodyWriter(const QUrl& base, const PictureLookup& pictures)
        : base_(base), pictures_(pictures) {}

    QString Write(const GumboNode& root) {
        // Depth-first with a stack of its own: a page may nest as deep as it likes.
        std::vector<Step> steps;
        PushChildren(root, steps);
        while (!steps.empty()) {
            const Step step = steps.back();
            steps.pop_back();
            if (step.node == nullptr) {
                Close(step);
            } else {
                Visit(*step.node, steps);
            }
        }
        return out_;
    }

private:
    // A node to visit, or (node null) the end of a kept element to write.
    struct Step {
        const GumboNode* node;
        GumboTag closing;
        qsizetype contentStart;
    };

    static void PushChildren(const GumboNode& node, std::vector<Step>& steps) {
        const GumboVector& children = node.v.element.children;
        for (unsigned i = children.length; i > 0; --i) {
            steps.push_back({static_cast<const GumboNode*>(children.data[i - 1]), {}, 0});
        }
    }

    void Visit(const GumboNode& node, std::vector<Step>& steps) {
        if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_WHITESPACE) {
            out_ += EscapeText(QString::fromUtf8(node.v.text.text), false);
            return;
        }
        if (node.type != GUMBO_NODE_ELEMENT) {
            return;  // comments, and the templates and character data that hold nothing shown
        }
        const Treatment treatment = TreatmentOf(node);
        if (treatment == Treatment::Unwrap) {
            PushChildren(node, steps);
        } else if (treatment == Treatment::Keep && node.v.element.tag == GUMBO_TAG_IMG) {
            Picture(node);
        } else if (treatment == Treatment::Keep) {
            Open(node);
            if (!IsVoid(node.v.element.tag)) {
                steps.push_back({nullptr, node.v.element.tag, out_.size()});
                PushChildren(node, steps);
            }
        }
    }

    void Open(const GumboNode& node) {
        const GumboTag tag = node.v.element.tag;
        std::vector<Attribute> attributes = KeptAttributes(node);
        if (tag == GUMBO_TAG_A) {
            ++openLinks_;
            MakeLink(attributes, Value(node, "href"));
        }
        WriteTag(QString::fromUtf8(gumbo_normalized_tagname(tag)), attributes);
    }

    void Close(const Step& step) {
        // A parser drops a line break that follows <pre> at once; a text that begins with one
        // keeps it only if another goes before.
        if (step.closing == GUMBO_TAG_PRE && out_.size() > step.contentStart &&
            out_[step.contentStart] == QChar('\n')) {
            out_.insert(step.contentStart, QChar('\n'));
        }
        if (step.closing == GUMBO_TAG_A) {
            --openLinks_;
        }
        out_ += QStringLiteral("</") + QString::fromUtf8(gumbo_normalized_tagname(step.closing)) +
                QChar('>');
    }

    // A picture shows from its copy in the picture folder. One without a copy is not
    // fetched: its caption stands in its place, linked to it when it is on the web and no link
    // holds it already, and says it was not saved.
    void Picture(const GumboNode& node) {
        if (const QString local = LocalCopy(Value(node, "src")); !local.isEmpty()) {
            std::vector<Attribute> attributes{{QStringLiteral("src"), local}};
            if (const GumboAttribute* alt =
                    gumbo_get_attribute(&node.v.element.attributes, "alt")) {
                attributes.push_back({QStringLiteral("alt"), QString::fromUtf8(alt->value)});
            }
            const std::vector<Attribute> kept = KeptAttributes(node);
            attributes.insert(attributes.end(), kept.begin(), kept.end());
            WriteTag(QStringLiteral("img"), attributes);
            return;
        }
        const QString alt = Value(node, "alt").simplified();
        const QString caption =
            alt.isEmpty() ? kPictureCaption : QStringLiteral("[图片：") + alt + QChar(']');
        const QString source = WebTarget(Value(node, "src"));
        if (source.isEmpty() || openLinks_ > 0) {
            out_ += EscapeText(caption, false);
        } else {
            std::vector<Attribute> attributes;
            MakeLink(attributes, source);
            WriteTag(QStringLiteral("a"), attributes);
            out_ += EscapeText(caption, false) + QStringLiteral("</a>");
        }
        out_ += QStringLiteral("<span class=\"pagewren-unsaved\">（未保存）</span>");
    }

    // The link to the value's copy in the picture folder: the value itself when it is such a
    // link already (the markup was cleaned before), else what the lookup gives for its web
    // address, taken only when it is such a link; empty when there is none.
    QString LocalCopy(const QString& value) const {
        const QString bare = BareAddress(value);
        if (IsLocalPictureLink(bare)) {
            return bare;
        }
        const QString web = pictures_ ? WebTarget(bare) : QString();
        const QString local = web.isEmpty() ? QString() : pictures_(web);
        return IsLocalPictureLink(local) ? local : QString();
    }

    std::vector<Attribute> KeptAttributes(const GumboNode& node) const {
        std::vector<Attribute> kept;
        const GumboVector& attributes = node.v.element.attributes;
        for (unsigned i = 0; i < attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
            const QString name = QString::fromUtf8(attribute->name);
            const QString value = QString::fromUtf8(attribute->value);
            if (name == QLatin1String("style")) {
                if (const QString style = CleanCss(value); !style.trimmed().isEmpty()) {
                    kept.push_back({name, style});
                }
            } else if (IsKeptAttribute(name)) {
                kept.push_back({name, value});
            }
        }
        return kept;
    }

    // A link keeps an in-page anchor as it is, leads to the copy of a picture saved in the
    // picture folder, and keeps a web address marked as leaving the copy; any other address goes.
    void MakeLink(std::vector<Attribute>& attributes, const QString& href) const {
        const QString bare = BareAddress(href);
        if (bare.startsWith(QChar('#'))) {
            attributes.push_back({QStringLiteral("href"), bare});
            return;
        }
        if (const QString local = LocalCopy(bare); !local.isEmpty()) {
            attributes.insert(attributes.begin(), {QStringLiteral("href"), local});
            return;
        }
        const QString web = WebTarget(href);
        if (web.isEmpty()) {
            return;
        }
        attributes.insert(attributes.begin(), {QStringLiteral("href"), web});
        bool marked = false;
        for (Attribute& attribute : attributes) {
            if (attribute.name == QLatin1String("class")) {
                marked = true;
                if (!HasClass(attribute.value, QStringLiteral("pagewren-away"))) {
                    attribute.value += QStringLiteral(" pagewren-away");
                }
            } else if (attribute.name == QLatin1String("title")) {
                attribute.value.clear();
            }
        }
        if (!marked) {
            attributes.push_back({QStringLiteral("class"), QStringLiteral("pagewren-away")});
        }
        std::erase_if(attributes, [](const Attribute& a) {
            return a.name == QLatin1String("title") && a.value.isEmpty();
        });
        attributes.push_back({QStringLiteral("title"), QStringLiteral("离开阅读版：") + web});
        attributes.push_back({QStringLiteral("target"), QStringLiteral("_blank")});
        attributes.push_back({QStringLiteral("rel"), QStringLiteral("noopener noreferrer")});
    }

    // The web address the value names, read against the page's own; empty for any other.
    QString WebTarget(const QString& value) const {
        return WebAddressAgainst(base_, BareAddress(value));
    }

    void WriteTag(const QString& name, const std::vector<Attribute>& attributes) {
        out_ += QChar('<') + name;
        for (const Attribute& attribute : attributes) {
            out_ += QChar(' ') + attribute.name + QStringLiteral("=\"") +
                    EscapeText(attribute.value, true) + QChar('"');
        }
        out_ += QChar('>');
    }

    static QString Value(const GumboNode& node, const char* name) {
        const GumboAttribute* attribute = gumbo_get_attribute(&node.v.element.attributes, name);
        return attribute ? QString::fromUtf8(attribute->value) : QString();
    }

    const QUrl base_;
    const PictureLookup& pictures_;
    QString out_;
    int openLinks_ = 0;
};

// The text of markup left without its tags; only for what the parser is not given, and as
// text, escaped, so that whatever it holds stays text.
QString TextOnly(const QString& markup) {
    QString text = WithoutTags(markup);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#13;"), QLatin1String("\r"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return QStringLiteral("<div class=\"pagewren-plain\">") + EscapeText(text, false) +
           QStringLiteral("</div>");
}

struct ParsedBody {
    explicit ParsedBody(const QByteArray& markup) : options(kGumboDefaultOptions) {
        options.fragment_context = GUMBO_TAG_BODY;
        options.max_errors = 0;
        output = gumbo_parse_with_options(&options, markup.constData(),
                                          static_cast<std::size_t>(markup.size()));
    }
    ~ParsedBody() { gumbo_destroy_output(&options, output); }
    ParsedBody(const ParsedBody&) = delete;
    ParsedBody& operator=(const ParsedBody&) = delete;

    GumboOptions options;
    GumboOutput* output;
};

// One round of cleaning, or nothing for markup of too many tags.
std::optional<QString> CleanOnce(const QString& markup, const QUrl& base,
                                 const PictureLookup& pictures) {
    const QByteArray bytes = markup.toUtf8();
    if (TooManyTagsToParse(bytes)) {
        return std::nullopt;
    }
    const ParsedBody parsed(bytes);
    return BodyWriter(base, pictures).Write(*parsed.output->root);
}

QUrl BaseOf(const QString& pageAddress) {
    const QUrl page(pageAddress);
    return IsWeb(page) ? page : QUrl();
}

}  // namespace

QString CleanArticleBody(const QString& markup, const QString& pageAddress,
                         const PictureLookup& pictures) {
    const QUrl base = BaseOf(pageAddress);
    std::optional<QString> cleaned = CleanOnce(markup, base, pictures);
    for (int round = 0; cleaned && round < kMostRounds; ++round) {
        std::optional<QString> again = CleanOnce(*cleaned, base, pictures);
        if (again == cleaned) {
            return *cleaned;
        }
        cleaned = std::move(again);
    }
    return TextOnly(cleaned.value_or(markup));
}

QString CleanedWebAddress(const QString& value, const QString& pageAddress) {
    return WebAddressAgainst(BaseOf(pageAddress), BareAddress(value));
}

QString LocalPictureLink(const QString& fileName) {
    return IsPictureFileName(fileName) ? PictureFolderLink() + RelativeLink(fileName).mid(2)
                                       : QString();
}

bool IsLocalPictureLink(const QString& value) {
    return value.startsWith(PictureFolderLink()) &&
           IsPictureFileName(QStringView(value).mid(PictureFolderLink().size()));
}
