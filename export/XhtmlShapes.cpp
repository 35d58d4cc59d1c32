#include "export/XhtmlShapes.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <map>

#include "reading/CssCleaner.h"

namespace {

Shape Same(GumboTag tag, Role role, bool phrasingContent) {
    return {QString::fromUtf8(gumbo_normalized_tagname(tag)), role, phrasingContent, {}};
}

// Elements HTML5 no longer has, by the element and CSS that show them alike.
const std::map<GumboTag, Shape>& ObsoleteShapes() {
    static const std::map<GumboTag, Shape> shapes = {
        {GUMBO_TAG_FONT, {"span", Role::Phrasing, true, {}}},
        {GUMBO_TAG_BIG, {"span", Role::Phrasing, true, "font-size:larger;"}},
        {GUMBO_TAG_NOBR, {"span", Role::Phrasing, true, "white-space:nowrap;"}},
        {GUMBO_TAG_STRIKE, {"s", Role::Phrasing, true, {}}},
        {GUMBO_TAG_DEL, {"s", Role::Phrasing, true, {}}},
        {GUMBO_TAG_INS, {"u", Role::Phrasing, true, {}}},
        {GUMBO_TAG_TT, {"code", Role::Phrasing, true, {}}},
        {GUMBO_TAG_ACRONYM, {"abbr", Role::Phrasing, true, {}}},
        {GUMBO_TAG_CENTER, {"div", Role::Block, false, "text-align:center;"}},
        {GUMBO_TAG_DIR, {"ul", Role::List, false, {}}},
        // HTML5 wants a definition list in groups of terms then definitions, which pages
        // seldom kept to: the look of each stays without the list.
        {GUMBO_TAG_DL, {"div", Role::Block, false, {}}},
        {GUMBO_TAG_DT, {"div", Role::Block, true, "font-weight:bold;"}},
        {GUMBO_TAG_DD, {"div", Role::Block, false, "margin-left:2em;"}},
        {GUMBO_TAG_MENU, {"ul", Role::List, false, {}}},
        // A table's head and foot may stand only in their own places; as bodies they may
        // stand anywhere in it.
        {GUMBO_TAG_THEAD, {"tbody", Role::TableSection, false, {}}},
        {GUMBO_TAG_TFOOT, {"tbody", Role::TableSection, false, {}}},
    };
    return shapes;
}

// Text-level elements HTML5 keeps as they are.
bool IsPlainPhrasing(GumboTag tag) {
    static const std::vector<GumboTag> tags = {
        GUMBO_TAG_B,    GUMBO_TAG_I,    GUMBO_TAG_EM,  GUMBO_TAG_STRONG, GUMBO_TAG_SMALL,
        GUMBO_TAG_S,    GUMBO_TAG_U,    GUMBO_TAG_SUB, GUMBO_TAG_SUP,    GUMBO_TAG_CODE,
        GUMBO_TAG_KBD,  GUMBO_TAG_SAMP, GUMBO_TAG_VAR, GUMBO_TAG_CITE,   GUMBO_TAG_Q,
        GUMBO_TAG_ABBR, GUMBO_TAG_MARK, GUMBO_TAG_BDI, GUMBO_TAG_SPAN};
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// Text-level elements of narrow use, kept as plain spans of their text.
bool TextLevelTag(GumboTag tag) {
    return tag == GUMBO_TAG_TIME || tag == GUMBO_TAG_RUBY || tag == GUMBO_TAG_RT ||
           tag == GUMBO_TAG_RP || tag == GUMBO_TAG_BDO || tag == GUMBO_TAG_DFN ||
           tag == GUMBO_TAG_MARQUEE;
}

// A colour, length or font name from an attribute, fit to stand as a CSS value: letters,
// digits, "#", "%", ".", ",", "-" and blanks; empty when nothing else remains.
QString CssValue(const QString& value) {
    QString kept;
    for (const QChar c : value.simplified()) {
        if (c.isLetterOrNumber() || QStringView(u"#%.,- ").contains(c)) {
            kept += c;
        }
    }
    // What was taken out may have stood between blanks.
    return kept.simplified();
}

// A length attribute ("120", "50%") as CSS; empty for anything else.
QString CssLength(const QString& value) {
    static const QRegularExpression length(QStringLiteral("^\\s*(\\d{1,5})(px|%)?\\s*$"));
    const QRegularExpressionMatch match = length.match(value);
    if (!match.hasMatch()) {
        return {};
    }
    return match.captured(1) + (match.captured(2) == QLatin1String("%") ? "%" : "px");
}

// The CSS size of a "font" size from 1 to 7, or relative to 3 ("+1", "-2").
QString FontSize(const QString& value) {
    static const QStringList sizes = {"x-small", "small",    "medium",  "large",
                                      "x-large", "xx-large", "xx-large"};
    const QString trimmed = value.trimmed();
    bool number = false;
    int size = trimmed.toInt(&number);
    if (!number) {
        return {};
    }
    if (trimmed.startsWith(QChar('+')) || trimmed.startsWith(QChar('-'))) {
        size += 3;
    }
    return sizes[std::clamp(size, 1, 7) - 1];
}

QString Declaration(const QString& property, const QString& value) {
    return value.isEmpty() ? QString() : property + QChar(':') + value + QChar(';');
}

// The CSS of one presentational attribute on the element.
QString PresentationalCss(const QString& name, const QString& value, const Shape& shape) {
    const QString lower = value.trimmed().toLower();
    const bool floats = shape.role == Role::Picture || shape.role == Role::Table;
    if (name == QLatin1String("align")) {
        if (floats) {
            return lower == QLatin1String("left") || lower == QLatin1String("right")
                       ? Declaration(QStringLiteral("float"), lower)
                       : QString();
        }
        static const QStringList aligns = {"left", "right", "center", "justify"};
        return aligns.contains(lower) ? Declaration(QStringLiteral("text-align"), lower)
                                      : QString();
    }
    if (name == QLatin1String("valign")) {
        static const QStringList aligns = {"top", "middle", "bottom", "baseline"};
        return aligns.contains(lower) ? Declaration(QStringLiteral("vertical-align"), lower)
                                      : QString();
    }
    if (name == QLatin1String("bgcolor")) {
        return Declaration(QStringLiteral("background-color"), CssValue(value));
    }
    if (name == QLatin1String("nowrap")) {
        return QStringLiteral("white-space:nowrap;");
    }
    if (name == QLatin1String("border") && CssLength(value) != QLatin1String("0px")) {
        return Declaration(QStringLiteral("border"), CssLength(value) + QStringLiteral(" solid"));
    }
    if (shape.role == Role::Picture) {
        return {};  // a picture's width and height stay attributes when they are numbers
    }
    if (name == QLatin1String("width") || name == QLatin1String("height")) {
        return Declaration(name, CssLength(value));
    }
    if (shape.name != QLatin1String("span")) {
        return {};
    }
    if (name == QLatin1String("color")) {
        return Declaration(QStringLiteral("color"), CssValue(value));
    }
    if (name == QLatin1String("face")) {
        return Declaration(QStringLiteral("font-family"), CssValue(value));
    }
    if (name == QLatin1String("size")) {
        return Declaration(QStringLiteral("font-size"), FontSize(value));
    }
    return {};
}

bool IsCount(const QString& value, int least) {
    bool number = false;
    const int count = value.trimmed().toInt(&number);
    return number && count >= least && count <= 1000;
}

// Whether the element it becomes takes the attribute as HTML5 defines it.
bool TakesAttribute(const Shape& shape, const QString& name, const QString& value) {
    const QString lower = value.trimmed().toLower();
    if (name == QLatin1String("class") || name == QLatin1String("title")) {
        return true;
    }
    if (name == QLatin1String("dir")) {
        return lower == QLatin1String("ltr") || lower == QLatin1String("rtl") ||
               lower == QLatin1String("auto");
    }
    if (shape.role == Role::TableCell) {
        return (name == QLatin1String("colspan") || name == QLatin1String("rowspan")) &&
               IsCount(value, 1);
    }
    if (shape.role == Role::Column) {
        // A group of columns with a span may hold no columns: only a column keeps it.
        return name == QLatin1String("span") && IsCount(value, 1);
    }
    if (shape.role == Role::Picture) {
        return (name == QLatin1String("width") || name == QLatin1String("height")) &&
               IsCount(value, 0);
    }
    if (shape.name == QLatin1String("ol")) {
        return (name == QLatin1String("start") && IsCount(value, 0)) ||
               (name == QLatin1String("type") && value.size() == 1 &&
                QStringView(u"1aAiI").contains(value[0]));
    }
    return false;
}

}  // namespace

Treatment ExportTreatmentOf(const GumboNode& node) {
    const GumboTag tag = node.v.element.tag;
    if (node.v.element.tag_namespace == GUMBO_NAMESPACE_HTML &&
        (tag == GUMBO_TAG_FORM || tag == GUMBO_TAG_OBJECT)) {
        return Treatment::Unwrap;
    }
    return TreatmentOf(node);
}

Shape ShapeOf(GumboTag tag) {
    if (const auto obsolete = ObsoleteShapes().find(tag); obsolete != ObsoleteShapes().end()) {
        return obsolete->second;
    }
    if (IsPlainPhrasing(tag)) {
        return Same(tag, Role::Phrasing, true);
    }
    switch (tag) {
        case GUMBO_TAG_A:
            return Same(tag, Role::Link, true);
        case GUMBO_TAG_IMG:
            return Same(tag, Role::Picture, true);
        case GUMBO_TAG_BR:
        case GUMBO_TAG_WBR:
            return Same(tag, Role::LineBreak, true);
        case GUMBO_TAG_HR:
            return Same(tag, Role::Rule, true);
        case GUMBO_TAG_P:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
            return Same(tag, Role::Block, true);
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_BLOCKQUOTE:
            return Same(tag, Role::Block, false);
        case GUMBO_TAG_UL:
        case GUMBO_TAG_OL:
            return Same(tag, Role::List, false);
        case GUMBO_TAG_LI:
            return Same(tag, Role::ListItem, false);
        case GUMBO_TAG_TABLE:
            return Same(tag, Role::Table, false);
        case GUMBO_TAG_TBODY:
            return Same(tag, Role::TableSection, false);
        case GUMBO_TAG_TR:
            return Same(tag, Role::TableRow, false);
        case GUMBO_TAG_TD:
            return Same(tag, Role::TableCell, false);
        case GUMBO_TAG_TH:
            return Same(tag, Role::TableCell, true);
        case GUMBO_TAG_CAPTION:
            return Same(tag, Role::Caption, true);
        case GUMBO_TAG_COLGROUP:
            return Same(tag, Role::ColumnGroup, false);
        case GUMBO_TAG_COL:
            return Same(tag, Role::Column, false);
        default:
            // Text-level elements of narrow use (time, ruby, bdo, dfn, marquee) and sectioning
            // or grouping ones whose placement HTML5 restricts (header, figure, details...).
            return TextLevelTag(tag) ? Shape{"span", Role::Phrasing, true, {}}
                                     : Shape{"div", Role::Block, false, {}};
    }
}

bool IsVoidRole(Role role) {
    return role == Role::Picture || role == Role::LineBreak || role == Role::Rule ||
           role == Role::Column;
}

std::vector<XhtmlAttribute> XhtmlAttributes(const GumboNode& node, const Shape& shape) {
    std::vector<XhtmlAttribute> kept;
    QString style = shape.style;
    QString ownStyle;
    const GumboVector& attributes = node.v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
        const QString name = QString::fromUtf8(attribute->name);
        const QString value = QString::fromUtf8(attribute->value);
        if (name == QLatin1String("style")) {
            ownStyle = CleanCss(value).simplified();
        } else if (TakesAttribute(shape, name, value)) {
            kept.push_back({name, name == QLatin1String("class") ? value.simplified() : value});
        } else {
            style += PresentationalCss(name, value, shape);
        }
    }
    // The element's own style comes last, so that it wins as it did on the page.
    if (!ownStyle.isEmpty()) {
        style += ownStyle;
    }
    if (!style.isEmpty()) {
        kept.push_back({QStringLiteral("style"), style});
    }
    return kept;
}
