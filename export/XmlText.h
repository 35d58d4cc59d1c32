#pragma once

#include <QString>

// Texts made fit to stand in an XML 1.0 document (a WXR file, the documents of a book).

// The text without what no XML document may hold: control characters other than tab, line
// feed and carriage return, lone surrogates and U+FFFE/U+FFFF become U+FFFD, so that a title
// with a stray control character still reads and the document still parses.
QString XmlCharacters(const QString& text);

// The text as character data or a quoted attribute value: XmlCharacters, then "&", "<", ">"
// and '"' as references, so that no text becomes markup.
QString XmlEscaped(const QString& text);

// The text as one or more CDATA sections: XmlCharacters, and every "]]>" split between two
// sections ("]]" ends one, ">" begins the next), so that no text ends its section early.
QString XmlCData(const QString& text);
