#pragma once

#include <QString>
#include <functional>

// The address a picture of an article takes in an export, given its address as the save
// record names it (PictureAddress): a path inside the export, the address itself, or the
// empty text when the export holds no copy of it.
using PictureSource = std::function<QString(const QString& address)>;

// Which picture an "img" inside a link to a picture (a thumbnail and its full picture) shows:
// its own, or the full one when `pictures` gives that; or its own, the link leading to the
// address `pictures` gives the full one (its copy beside the page).
enum class PictureChoice { AsShown, FullWhenLinked, LinkedToCopy };

// An article body (tag soup, as the page held it) as a well-formed XHTML fragment that keeps
// its text and that HTML5's content models accept: parsed as a browser parses a page's body,
// then written anew from what the reading copy's allow-list keeps (BodyAllowList). Elements and
// attributes that HTML5 no longer has become the CSS of their look ("font" a "span" with its
// colour, "center" a centred "div", "bgcolor" a background colour); blocks inside a line
// become "span"s shown as blocks; what stands in a list, a table or its rows where HTML5 lets
// nothing stand goes into an item or a cell. Links keep web addresses only (relative ones read
// against `pageAddress`), and no link holds another. A picture takes the address `pictures`
// gives it (asked first for the full picture a link leads to, with FullWhenLinked), or becomes
// a link to its address captioned "[图片]" ("[图片：ALT]") when it gives none. A body of more
// tags than a parser reads in good time stands as its text.
QString BodyAsXhtml(const QString& markup, const QString& pageAddress,
                    const PictureSource& pictures, PictureChoice choice = PictureChoice::AsShown);
