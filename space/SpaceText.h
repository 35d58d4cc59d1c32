#pragma once

#include <QString>

// A text cut from a page's markup as the reader saw it: the references "&amp;", "&lt;",
// "&gt;", "&quot;", "&apos;" and numeric ones ("&#39;", "&#x27;") replaced by their
// characters, once; any other "&" stays as it is, and a number naming no character becomes
// U+FFFD.
QString DecodeEntities(const QString& text);
