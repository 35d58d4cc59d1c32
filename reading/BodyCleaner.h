#pragma once

#include <QString>

// The markup of a saved article made fit to stand in a reading page, which nothing may make
// fetch, run or navigate anything: parsed as a browser parses a page's body (an HTML5
// parser), then written anew from what an allow-list keeps. Text-level and block elements,
// lists and tables stay with their layout attributes and their style values cleaned by
// CleanCss; scripts, styles, frames, plugins, forms, media, meta, base, link, SVG and MathML
// go with their content, and unknown elements (a word processor's "o:p") give way to their
// content. Links to web addresses (relative ones read against `pageAddress`, the article's
// address) stay links, marked as leaving the copy (class "pagewren-away", opened apart);
// in-page anchors stay; every other link loses its address. A picture, which would be fetched,
// becomes a link to it ("[图片]" or "[图片：ALT]"), or that caption alone inside a link.
// Bidi controls that would turn the text around them (U+202A–U+202E, U+2066–U+2069) show as
// marks ("[U+202E]").
// Cleaning the result again gives it unchanged.
QString CleanArticleBody(const QString& markup, const QString& pageAddress);
