#pragma once

#include <QString>

// The text made fit to stand as text or as a quoted attribute value in a page: "&", "<",
// ">", '"' and "'" become references, so that no text cut from a page becomes markup, and
// control characters other than tab, CR and LF (which no page may hold) become U+FFFD.
QString EscapeHtml(const QString& text);

// A text cut from a page's markup as the reader saw it: the references "&amp;", "&lt;",
// "&gt;", "&quot;", "&apos;" and numeric ones ("&#39;", "&#x27;") replaced by their
// characters, once; any other "&" stays as it is, and a number naming no character becomes
// U+FFFD.
QString DecodeEntities(const QString& text);

// A relative link to a file from its path ("/" between names): the ASCII characters a link
// could read otherwise ("%", "#", "?", blanks, controls...) percent-encoded, so that they
// stay part of the name; characters beyond ASCII as they are. Escape it for an attribute.
QString RelativeLink(const QString& path);

// The address when it is a web address ("http://" or "https://", any case); otherwise the
// empty text, so that no address cut from a page becomes a link that runs anything.
QString WebAddress(const QString& address);

// An escaped link to the web address with the text as its caption, or the escaped text
// alone when the address is not a web address.
QString WebLink(const QString& address, const QString& text);
