#pragma once

#include <QString>

// The pager values of a catalogue run; they outlast one category, so a cut that cannot be
// made leaves what the previous category put there.
struct PagerValues {
    QString fragment;
    QString pageIndex;
};

// Reads the index of the last listing page of the category at `address` (its "网址" cell)
// from the pager links of its first listing page into values.pageIndex: "0" when the page
// shows neither a next nor a last-page link. A cut whose length comes out negative leaves
// the values as they were.
void ReadLastPageIndex(const QString& categoryPage, const QString& address, PagerValues& values);
