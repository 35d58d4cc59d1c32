#pragma once

#include <gumbo.h>

#include <QString>
#include <vector>

#include "reading/BodyAllowList.h"

// What an element kept from an article body becomes in XHTML that HTML5 accepts.

// What an export does with an element of a body: what the reading copy's allow-list does
// (TreatmentOf), but for forms and plugin objects, which give way to what they hold: a browser
// shows the text inside a form, and an object's fallback where its plugin is missing, as it is
// everywhere now.
Treatment ExportTreatmentOf(const GumboNode& node);

// Where an element may stand and what it may hold, as HTML5's content models tell it.
enum class Role {
    Phrasing,  // text-level: stands in a line, holds only text-level content
    Link,
    Picture,
    LineBreak,
    Rule,
    Block,  // holds blocks or, when `phrasingContent`, a line
    List,
    ListItem,
    Table,
    TableSection,
    TableRow,
    TableCell,
    Caption,
    ColumnGroup,
    Column,
};

struct Shape {
    QString name;  // of the element written
    Role role = Role::Phrasing;
    bool phrasingContent = true;
    QString style;  // the CSS of the look of an element HTML5 no longer has
};

// The element HTML5 has for a kept element of the body ("font" a "span", "center" a centred
// "div", "thead" a "tbody", sectioning elements a "div").
Shape ShapeOf(GumboTag tag);

// Whether the element is written with no content and no end tag.
bool IsVoidRole(Role role);

struct XhtmlAttribute {
    QString name;
    QString value;  // unescaped
};

// The attributes of a kept element as HTML5 takes them on the element it becomes: "class",
// "title" and "dir"; the numbers of table cells, columns, lists and pictures when they are
// numbers; the presentational attributes HTML5 dropped ("align", "bgcolor", "color", "face",
// "size", "width", "valign", "nowrap", "border") as CSS in "style", with the element's own
// style cleaned of everything that would fetch a file. Links and picture sources are left to
// the caller.
std::vector<XhtmlAttribute> XhtmlAttributes(const GumboNode& node, const Shape& shape);
