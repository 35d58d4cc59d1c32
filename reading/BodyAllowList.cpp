#include "reading/BodyAllowList.h"

#include <QStringList>
#include <set>

Treatment TreatmentOf(const GumboNode& node) {
    static const std::set<GumboTag> kKept = {
        GUMBO_TAG_A,       GUMBO_TAG_ABBR,     GUMBO_TAG_ACRONYM,    GUMBO_TAG_ADDRESS,
        GUMBO_TAG_ARTICLE, GUMBO_TAG_ASIDE,    GUMBO_TAG_B,          GUMBO_TAG_BDI,
        GUMBO_TAG_BDO,     GUMBO_TAG_BIG,      GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BR,
        GUMBO_TAG_CAPTION, GUMBO_TAG_CENTER,   GUMBO_TAG_CITE,       GUMBO_TAG_CODE,
        GUMBO_TAG_COL,     GUMBO_TAG_COLGROUP, GUMBO_TAG_DD,         GUMBO_TAG_DEL,
        GUMBO_TAG_DETAILS, GUMBO_TAG_DFN,      GUMBO_TAG_DIR,        GUMBO_TAG_DIV,
        GUMBO_TAG_DL,      GUMBO_TAG_DT,       GUMBO_TAG_EM,         GUMBO_TAG_FIGCAPTION,
        GUMBO_TAG_FIGURE,  GUMBO_TAG_FONT,     GUMBO_TAG_FOOTER,     GUMBO_TAG_H1,
        GUMBO_TAG_H2,      GUMBO_TAG_H3,       GUMBO_TAG_H4,         GUMBO_TAG_H5,
        GUMBO_TAG_H6,      GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,     GUMBO_TAG_HR,
        GUMBO_TAG_I,       GUMBO_TAG_IMG,      GUMBO_TAG_INS,        GUMBO_TAG_KBD,
        GUMBO_TAG_LI,      GUMBO_TAG_MAIN,     GUMBO_TAG_MARK,       GUMBO_TAG_MARQUEE,
        GUMBO_TAG_MENU,    GUMBO_TAG_NAV,      GUMBO_TAG_NOBR,       GUMBO_TAG_OL,
        GUMBO_TAG_P,       GUMBO_TAG_PRE,      GUMBO_TAG_Q,          GUMBO_TAG_RP,
        GUMBO_TAG_RT,      GUMBO_TAG_RUBY,     GUMBO_TAG_S,          GUMBO_TAG_SAMP,
        GUMBO_TAG_SECTION, GUMBO_TAG_SMALL,    GUMBO_TAG_SPAN,       GUMBO_TAG_STRIKE,
        GUMBO_TAG_STRONG,  GUMBO_TAG_SUB,      GUMBO_TAG_SUMMARY,    GUMBO_TAG_SUP,
        GUMBO_TAG_TABLE,   GUMBO_TAG_TBODY,    GUMBO_TAG_TD,         GUMBO_TAG_TFOOT,
        GUMBO_TAG_TH,      GUMBO_TAG_THEAD,    GUMBO_TAG_TIME,       GUMBO_TAG_TR,
        GUMBO_TAG_TT,      GUMBO_TAG_U,        GUMBO_TAG_UL,         GUMBO_TAG_VAR,
        GUMBO_TAG_WBR};
    // Wrappers of text that a browser lays out as their content: a word processor's "o:p" and
    // "st1:chsdate", old blinking text, labels, meters, ruby bases.
    static const std::set<GumboTag> kUnwrapped = {
        GUMBO_TAG_UNKNOWN, GUMBO_TAG_BLINK, GUMBO_TAG_SPACER,   GUMBO_TAG_MULTICOL, GUMBO_TAG_LABEL,
        GUMBO_TAG_DATA,    GUMBO_TAG_METER, GUMBO_TAG_PROGRESS, GUMBO_TAG_RB,       GUMBO_TAG_RTC};
    const GumboTag tag = node.v.element.tag;
    if (node.v.element.tag_namespace != GUMBO_NAMESPACE_HTML) {
        return Treatment::Drop;
    }
    if (kKept.contains(tag)) {
        return Treatment::Keep;
    }
    return kUnwrapped.contains(tag) ? Treatment::Unwrap : Treatment::Drop;
}

bool IsVoid(GumboTag tag) {
    return tag == GUMBO_TAG_BR || tag == GUMBO_TAG_HR || tag == GUMBO_TAG_WBR ||
           tag == GUMBO_TAG_COL;
}

// Attributes that only lay out or name what they stand on.
bool IsKeptAttribute(const QString& name) {
    static const QStringList kKept = {
        "abbr",        "align",    "axis",     "behavior",  "bgcolor", "border", "cellpadding",
        "cellspacing", "char",     "charoff",  "class",     "clear",   "color",  "colspan",
        "compact",     "datetime", "dir",      "direction", "face",    "frame",  "headers",
        "height",      "hspace",   "id",       "lang",      "loop",    "name",   "noshade",
        "nowrap",      "open",     "reversed", "rowspan",   "rules",   "scope",  "scrollamount",
        "scrolldelay", "size",     "span",     "start",     "summary", "title",  "type",
        "valign",      "value",    "vspace",   "width"};
    return kKept.contains(name);
}
