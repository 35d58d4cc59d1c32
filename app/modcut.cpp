#include "app/modcut.h"

QString CutBetween(const QString& text, const QString& startMarker, const QString& endMarker) {
    // Positions are 1-based; an absent start marker leaves s at 0, so the cut starts at L.
    const qsizetype s = PositionOf(text, startMarker);
    const qsizetype b = s + startMarker.size();
    if (b > text.size()) {
        return {};
    }
    const qsizetype found = text.indexOf(endMarker, b - 1);
    const qsizetype e = found < 0 ? 0 : found + 1;
    if (e - b < 0) {
        return {};
    }
    return text.mid(b - 1, e - b);
}

int PositionOf(const QString& text, const QString& marker) {
    return static_cast<int>(text.indexOf(marker) + 1);
}

QString DropFront(const QString& text, int count) {
    if (count <= 0) {
        return text;
    }
    return text.mid(count);
}

int CountOccurrences(const QString& text, const QString& word) {
    int count = 0;
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + word.size())) {
        ++count;
    }
    return count;
}
