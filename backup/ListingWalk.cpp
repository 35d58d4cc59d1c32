#include "backup/ListingWalk.h"

#include "app/modcut.h"

ListingWalk::ListingWalk(const QString& listingPage, ListingForm form)
    : section_(CutBetween(listingPage, QStringLiteral("个人档案"), QStringLiteral("文章分类"))),
      form_(form) {}

ListingEntry ListingWalk::Next() {
    if (stuck_) {
        return {};
    }
    // Each entry ends in its own advance marker; no field runs past it, however far away its
    // end marker is, so the cuts of a walk copy no more than the page holds.
    const QString advance = form_ == ListingForm::Single
                                ? QStringLiteral("\"+\"")
                                : QStringLiteral("x++;document.getElementById");
    const int end = section_.PositionOf(advance);
    const int limit = end > 0 ? end + static_cast<int>(advance.size()) : 0;
    ListingEntry entry;
    entry.id = section_.Cut(QStringLiteral("+=\""), QStringLiteral("\"+\""), limit);
    if (!entry.id.isEmpty()) {
        if (form_ == ListingForm::Paged) {
            entry.title =
                section_.Cut(QStringLiteral("_blank\">"), QStringLiteral("</a></div>"), limit);
        }
        entry.date = section_.Cut(QStringLiteral("date\">"), QStringLiteral("</div"), limit);
    }
    // Without an advance marker the walk would cut the same entry again and again.
    stuck_ = end == 0;
    section_.DropFront(end);
    return entry;
}
