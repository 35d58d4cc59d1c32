#pragma once

#include <QString>

// What every export does to the texts of a saved space before it writes them.

// The text with the control characters no page, XML or TOML file may hold raw (all below
// U+0020 but tab, CR and LF, and DEL) made U+FFFD, as the reading copy shows them; lone
// surrogates, which no UTF-8 file can hold, likewise.
QString WithoutControls(const QString& text);

// A title as an export shows it: control characters made U+FFFD, blanks around it trimmed.
QString ShownTitle(const QString& title);

// The text a cell cut from a page (a comment, a board message) shows: its tags taken out, a
// "<br>" and the end of a paragraph made a line break, character references decoded, control
// characters made U+FFFD and blank lines around it trimmed. A "<" that opens no tag stays.
QString CellText(const QString& markup);
