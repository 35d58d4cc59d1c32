#include "app/modcut.h"

#include "app/PageText.h"

QString CutBetween(const QString& text, const QString& startMarker, const QString& endMarker) {
    return PageText(text).Cut(startMarker, endMarker);
}

int PositionOf(const QString& text, const QString& marker) {
    return static_cast<int>(text.indexOf(marker) + 1);
}

int CountOccurrences(const QString& text, const QString& word) {
    // An empty word would be found again at every position without moving on.
    if (word.isEmpty()) {
        return 0;
    }
    int count = 0;
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + word.size())) {
        ++count;
    }
    return count;
}
