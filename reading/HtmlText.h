#pragma once

#include <QString>

#include "space/SpaceText.h"

// The text made fit to stand as text or as a quoted attribute value in a page: "&", "<",
// ">", '"' and "'" become references, so that no text cut from a page becomes markup;
// control characters other than tab, CR and LF (which no page may hold) become U+FFFD; and
// the characters that show nothing but turn or hide the text around them (bidi controls
// U+202A–U+202E and U+2066–U+2069, zero-width and other format characters) become visible
// marks ("[U+202E]"), so that a title or a name shows what it holds.
QString EscapeHtml(const QString& text);

// The same for the running text of an article or a message, where format characters stay as
// they are: their effect ends with the text's own box.
QString EscapeBodyText(const QString& text);

// A relative link to a file from its path ("/" between names), beginning "./" so that no
// folder name reads as a scheme ("http:host", "javascript:"): the ASCII characters a link
// could read otherwise ("%", "#", "?", blanks, controls...) and the characters that show
// nothing are percent-encoded, so that they stay part of the name; other characters beyond
// ASCII stand as they are. Escape it for an attribute.
QString RelativeLink(const QString& path);

// An escaped link to a file the saves wrote (its path from the space folder), from a page in
// the space folder or, with `fromReadingFolder`, in the reading folder. A saved page (".html",
// ".htm") holds markup as the service sent it: its link offers it for download, so that the
// copy never opens it as a page.
QString SavedFileLink(const QString& path, const QString& caption, bool fromReadingFolder);

// The address when it is a web address ("http://" or "https://", any case); otherwise the
// empty text, so that no address cut from a page becomes a link that runs anything.
QString WebAddress(const QString& address);

// An escaped link to the web address with the text as its caption, marked as leaving the
// copy (class "pagewren-away", opened apart), or the escaped text alone when the address is
// not a web address.
QString WebLink(const QString& address, const QString& text);

// The markup with everything from a "<" to the next ">" taken out, references left as they
// are: the text of markup that no parser is given.
QString WithoutTags(const QString& markup);
