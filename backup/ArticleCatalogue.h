#pragma once

#include <QString>

class ArticleWindowControls;

// The "获取文章" run: lists the space's categories from its blog page with their article
// counts and last listing-page indexes, then walks every listing page and lists every
// article found, waiting the wait box's time per category and per article; reports the
// share of counted articles found, runs the save when the one-click box is ticked and
// enables the save button. A failed request reads as an empty page and a step that cannot
// be made is skipped. Throws platform::RunStopped when the pump asks the run to stop.
void RunArticleCatalogue(ArticleWindowControls& controls);

// The share found, in percent, as the status line writes it: at most two decimals, rounded,
// and the decimal point always written ("100.", "97.5", "33.33").
QString FormatRate(double percent);
