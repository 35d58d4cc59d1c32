#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// A page text that a walk reads from the front: dropping the front moves a start offset
// instead of copying the rest, and each search remembers where its marker was found, so
// that a walk over a page costs time in proportion to the page, whatever the page holds.
// Cuts and positions are those of CutBetween and PositionOf on the text that remains.
class PageText {
public:
    PageText() = default;
    explicit PageText(QString text);

    // CutBetween on the text that remains.
    QString Cut(const QString& startMarker, const QString& endMarker) const;

    // CutBetween on the text that remains, except that a cut that would run past `limit` (a
    // 1-based position in what remains; 0 for no limit) is empty: a field of one entry never
    // runs into the next, so that the cuts of a walk copy no more than the page holds.
    QString Cut(const QString& startMarker, const QString& endMarker, int limit) const;

    // The 1-based position of the marker in the text that remains, 0 when it does not occur.
    int PositionOf(const QString& marker) const;

    // The 1-based position of the first occurrence of the marker at or after the 1-based
    // position `from` of what remains, 0 when there is none.
    int PositionOf(const QString& marker, int from) const;

    // Whether PositionOf(text) would be `position`, found by comparing the text with what
    // remains at positions 1 to `position` only, however long the text.
    bool FirstFoundAt(const QString& text, int position) const;

    bool Contains(const QString& marker) const { return PositionOf(marker) > 0; }

    // Drops the first `count` characters of what remains (none for 0 or less, all past its end).
    void DropFront(int count);

    // The text that remains.
    QStringView Rest() const { return QStringView(text_).mid(front_); }

private:
    // Where a marker was last looked for, searching from `from`, and found (-1: nowhere after).
    struct Search {
        QString marker;
        qsizetype from = 0;
        qsizetype found = -1;
    };

    // The index in text_ of the first occurrence of marker at or after index `from`, or -1.
    qsizetype Find(const QString& marker, qsizetype from) const;

    QString text_;
    qsizetype front_ = 0;
    // The most recently used first; a walk uses a handful of markers over and over.
    mutable std::vector<Search> searches_;
};
