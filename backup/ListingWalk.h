#pragma once

#include <QString>

#include "app/PageText.h"

// The two layouts of a listing page: read as a single page, or one of several pages.
enum class ListingForm { Single, Paged };

// One article entry of a listing page, as cut from it.
struct ListingEntry {
    QString id;     // empty when no entry could be cut
    QString title;  // cut from the page in the paged form only, and only with an id
    QString date;
};

// Walks the article entries of a listing page's section (from "个人档案" to "文章分类").
class ListingWalk {
public:
    ListingWalk() = default;
    ListingWalk(const QString& listingPage, ListingForm form);

    // Cuts the entry at the front of the section, no field running past the entry's advance
    // marker, then drops the section up to that marker. When the marker does not occur, that
    // entry is the last: later calls give no entry.
    ListingEntry Next();

    // The text of the section that remains.
    QStringView Rest() const { return section_.Rest(); }

private:
    PageText section_;
    ListingForm form_ = ListingForm::Single;
    bool stuck_ = false;
};
