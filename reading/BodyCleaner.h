#pragma once

#include <QString>
#include <functional>

// The local copy of a picture for the cleaning of an article: given a picture's web address
// (as CleanedWebAddress gives it), the link to its file from a reading page (LocalPictureLink),
// or the empty text when no copy of it was saved. Whatever else it gives counts as no copy.
using PictureLookup = std::function<QString(const QString& address)>;

// The markup of a saved article made fit to stand in a reading page, which nothing may make
// fetch, run or navigate anything beyond the copy: parsed as a browser parses a page's body (an
// HTML5 parser), then written anew from what an allow-list keeps. Text-level and block
// elements, lists and tables stay with their layout attributes and their style values cleaned
// by CleanCss; scripts, styles, frames, plugins, forms, media, meta, base, link, SVG and MathML
// go with their content, and unknown elements (a word processor's "o:p") give way to their
// content. Links to web addresses (relative ones read against `pageAddress`, the article's
// address) stay links, marked as leaving the copy (class "pagewren-away", opened apart), but
// for a link to a picture `pictures` has a copy of, which links that copy; in-page anchors and
// links to the picture folder stay; every other link loses its address. A picture shows from
// its copy in the picture folder when `pictures` has one (or when its source is already a link
// into that folder); one without a copy, which would be fetched, becomes a link to it ("[图片]"
// or "[图片：ALT]", or that caption alone inside a link) followed by the note "（未保存）".
// Bidi controls that would turn the text around them (U+202A–U+202E, U+2066–U+2069) show as
// marks ("[U+202E]").
// Cleaning the result again with the same lookup gives it unchanged.
QString CleanArticleBody(const QString& markup, const QString& pageAddress,
                         const PictureLookup& pictures = {});

// The web address a source or link address of an article names, as the cleaner asks
// PictureLookup for it: read against `pageAddress` when relative, dot segments taken out,
// percent-encoded throughout; empty when it is no http or https address with a host.
QString CleanedWebAddress(const QString& value, const QString& pageAddress = {});

// The link from a page of the reading folder to the file of that name in the picture folder:
// "../", the folder's name and the file's, percent-encoded as the copy's other links are; empty
// for a name that is not a picture file's (letters and digits of any script, "-", "_" and ".",
// no leading dot), so that no link made here leaves the folder.
QString LocalPictureLink(const QString& fileName);

// Whether the value is a link LocalPictureLink makes.
bool IsLocalPictureLink(const QString& value);
