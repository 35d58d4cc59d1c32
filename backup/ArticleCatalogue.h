#pragma once

#include <QString>

class ArticleWindowControls;

// What a catalogue could not list.
struct CatalogueOutcome {
    bool spaceMissing = false;  // the address names no space: nothing was listed or saved
    int unreadPages = 0;        // pages that could not be read, told in the final status
    int fromIndex = 0;          // articles listed from the archive's index, not the catalogue
    // The list holds every article each category's count promised, those from the index
    // included: the unread pages hid nothing that is not listed.
    bool indexFilledGaps = false;

    // Whether unread pages may have kept articles off the list.
    bool MayLackArticles() const { return unreadPages > 0 && !indexFilledGaps; }
};

// The "获取文章" run: lists the space's categories from its blog page with their article
// counts and last listing-page indexes, then walks every listing page and lists every
// article found, waiting the wait box's time per category and per article; reports the
// share of counted articles listed (those found through an archive's index included, and
// whether they make up for the unread pages), runs the save when the one-click box is ticked
// and enables the save button. A failed request reads as an empty page and a step that cannot
// be made is skipped. An address whose blog page is no space's shows "您的百度空间不存在！！",
// lists and saves nothing and leaves the save button disabled. The outcome is also handed to
// the controls for the save. Throws platform::RunStopped when the pump asks the run to stop.
CatalogueOutcome RunArticleCatalogue(ArticleWindowControls& controls);

// The share found, in percent, as the status line writes it: at most two decimals, rounded,
// and the decimal point always written ("100.", "97.5", "33.33").
QString FormatRate(double percent);
