#pragma once

#include <QString>

// The last page of a space's comment search, as its first page tells of it: the number shown
// for it, from which the window estimates the comments, and its own page number (from 0), up
// to which the walk reads. Both 0 when the page tells of no other page.
struct LastResultPage {
    int shown = 0;
    int linked = 0;
};

// Reads the "[尾页]" link, whose page number both counts and addresses the last page, or else
// the page bar, whose links are labelled from 1 while their addresses number the pages from
// 0. A number that is not a 32-bit number reads as 0.
LastResultPage ReadLastResultPage(const QString& firstPage);
