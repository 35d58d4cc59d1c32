#pragma once

#include <QString>

// Returns the text between the first start marker and the first end marker after it.
// When the start marker is missing the cut begins at position L (1-based, L being the
// marker's length), which some page walks rely on to end. Never fails: returns the empty
// text when no cut can be made.
QString CutBetween(const QString& text, const QString& startMarker, const QString& endMarker);

// The 1-based position of the first occurrence of marker in text, 0 when it does not occur.
int PositionOf(const QString& text, const QString& marker);

// How many times the word occurs without overlapping, searching on past each hit; 0 for the
// empty word, which no page can hold a countable number of.
int CountOccurrences(const QString& text, const QString& word);
