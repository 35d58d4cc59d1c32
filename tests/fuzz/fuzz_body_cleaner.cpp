// Checks that the cleaning of a saved article's markup gives markup that cleaning again leaves
// as it is, and that the result, parsed as a browser parses a page's body, holds no element or
// attribute that could fetch, run or navigate anything but a picture in the picture folder,
// whatever the lookup of saved pictures answers.
// Input: the markup, as UTF-8.
#include <gumbo.h>

#include <QString>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "reading/BodyCleaner.h"

namespace {

const QString kPage =
    QStringLiteral("http://hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html");

// The link of a picture in the picture folder, told apart here by its own rule: one name in
// that folder, with nothing that could lead out of it.
const QString kPictureFolder = QStringLiteral("../图片%7F/");

bool IsPictureFile(const QString& value) {
    if (!value.startsWith(kPictureFolder)) {
        return false;
    }
    const QString name = value.mid(kPictureFolder.size());
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        return false;
    }
    for (const QChar c : name) {
        if (c.unicode() <= 0x20 || QStringView(u"/\\%?#:&").contains(c)) {
            return false;
        }
    }
    return true;
}

// A lookup that has a copy of some pictures, none of others, and for the rest answers what no
// lookup should: a way out of the folder, a script, a web address.
QString Lookup(const QString& address) {
    unsigned sum = 0;
    for (const QChar c : address) {
        sum = sum * 31 + c.unicode();
    }
    switch (sum % 5) {
        case 0:
            return LocalPictureLink(QStringLiteral("p%1.jpg").arg(sum));
        case 1:
            return kPictureFolder + QStringLiteral("../../保存记录.json");
        case 2:
            return QStringLiteral("javascript:alert(1)");
        case 3:
            return address;
        default:
            return {};
    }
}

// Elements none of which a reading page may hold, named here apart from the cleaner's own list.
bool IsForbidden(GumboTag tag) {
    static const GumboTag kForbidden[] = {
        GUMBO_TAG_SCRIPT,   GUMBO_TAG_STYLE,     GUMBO_TAG_IFRAME,  GUMBO_TAG_FRAME,
        GUMBO_TAG_FRAMESET, GUMBO_TAG_OBJECT,    GUMBO_TAG_EMBED,   GUMBO_TAG_APPLET,
        GUMBO_TAG_META,     GUMBO_TAG_BASE,      GUMBO_TAG_LINK,    GUMBO_TAG_FORM,
        GUMBO_TAG_INPUT,    GUMBO_TAG_BUTTON,    GUMBO_TAG_SELECT,  GUMBO_TAG_TEXTAREA,
        GUMBO_TAG_SVG,      GUMBO_TAG_MATH,      GUMBO_TAG_IMAGE,   GUMBO_TAG_AUDIO,
        GUMBO_TAG_VIDEO,    GUMBO_TAG_SOURCE,    GUMBO_TAG_TRACK,   GUMBO_TAG_NOSCRIPT,
        GUMBO_TAG_TEMPLATE, GUMBO_TAG_PARAM,     GUMBO_TAG_NOEMBED, GUMBO_TAG_NOFRAMES,
        GUMBO_TAG_XMP,      GUMBO_TAG_PLAINTEXT, GUMBO_TAG_TITLE,   GUMBO_TAG_BGSOUND,
        GUMBO_TAG_KEYGEN,   GUMBO_TAG_CANVAS,    GUMBO_TAG_MAP,     GUMBO_TAG_AREA,
        GUMBO_TAG_UNKNOWN};
    for (const GumboTag forbidden : kForbidden) {
        if (tag == forbidden) {
            return true;
        }
    }
    return false;
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// The CSS text with its escapes read ("\\75 rl" is "url"), as a browser's tokenizer reads them.
QString WithoutEscapes(const QString& css) {
    QString plain;
    for (qsizetype i = 0; i < css.size(); ++i) {
        if (css[i] != QChar('\\') || i + 1 == css.size()) {
            plain += css[i];
            continue;
        }
        qsizetype digits = 0;
        while (digits < 6 && i + 1 + digits < css.size() &&
               isxdigit(css[i + 1 + digits].unicode())) {
            ++digits;
        }
        if (digits == 0) {
            plain += css[++i];
            continue;
        }
        const char32_t code = css.mid(i + 1, digits).toUInt(nullptr, 16);
        plain +=
            code > 0 && code <= 0x10FFFF ? QString::fromUcs4(&code, 1) : QString(QChar(0xFFFD));
        i += digits;
        if (i + 1 < css.size() && css[i + 1].isSpace()) {
            ++i;
        }
    }
    return plain;
}

bool IsSafeAttribute(GumboTag tag, std::string_view name, const QString& value) {
    if (name == "src") {
        return tag == GUMBO_TAG_IMG && IsPictureFile(value);
    }
    static const std::string_view kFetching[] = {
        "srcset",  "srcdoc",   "poster",     "background", "data",       "action",   "ping",
        "lowsrc",  "dynsrc",   "formaction", "http-equiv", "xlink:href", "codebase", "archive",
        "content", "manifest", "usemap",     "longdesc",   "profile",    "cite"};
    for (const std::string_view fetching : kFetching) {
        if (name == fetching) {
            return false;
        }
    }
    if (StartsWith(name, "on")) {
        return false;
    }
    if (name == "href") {
        return value.startsWith(QLatin1String("#")) || value.startsWith(QLatin1String("http://")) ||
               value.startsWith(QLatin1String("https://")) || IsPictureFile(value);
    }
    if (name == "style") {
        const QString style = WithoutEscapes(value).toLower();
        for (const char* function :
             {"url(", "image(", "image-set(", "expression(", "src(", "element(", "cross-fade("}) {
            if (style.contains(QLatin1String(function))) {
                return false;
            }
        }
    }
    return true;
}

bool IsSafe(const GumboNode& root) {
    std::vector<const GumboNode*> nodes{&root};
    while (!nodes.empty()) {
        const GumboNode* node = nodes.back();
        nodes.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) {
            if (node->type == GUMBO_NODE_TEMPLATE || node->type == GUMBO_NODE_CDATA ||
                node->type == GUMBO_NODE_COMMENT) {
                return false;
            }
            continue;
        }
        const GumboElement& element = node->v.element;
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML || IsForbidden(element.tag)) {
            return false;
        }
        // A picture shows only from the picture folder.
        if (element.tag == GUMBO_TAG_IMG && !gumbo_get_attribute(&element.attributes, "src")) {
            return false;
        }
        for (unsigned i = 0; i < element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            if (!IsSafeAttribute(element.tag, attribute->name,
                                 QString::fromUtf8(attribute->value))) {
                return false;
            }
        }
        for (unsigned i = 0; i < element.children.length; ++i) {
            nodes.push_back(static_cast<const GumboNode*>(element.children.data[i]));
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString markup =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString cleaned = CleanArticleBody(markup, kPage, Lookup);
    if (CleanArticleBody(cleaned, kPage, Lookup) != cleaned) {
        __builtin_trap();
    }
    const QByteArray bytes = cleaned.toUtf8();
    GumboOptions options = kGumboDefaultOptions;
    options.fragment_context = GUMBO_TAG_BODY;
    GumboOutput* output = gumbo_parse_with_options(&options, bytes.constData(),
                                                   static_cast<std::size_t>(bytes.size()));
    // The parser puts the fragment in an html element of its own.
    const GumboVector& top = output->root->v.element.children;
    bool safe = true;
    for (unsigned i = 0; i < top.length; ++i) {
        safe = safe && IsSafe(*static_cast<const GumboNode*>(top.data[i]));
    }
    gumbo_destroy_output(&options, output);
    if (!safe) {
        __builtin_trap();
    }
    return 0;
}
