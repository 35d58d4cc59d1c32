#include "backup/ListingWalk.h"

#include "app/modcut.h"

ListingWalk::ListingWalk(const QString& listingPage, ListingForm form)
    : section_(CutBetween(listingPage, QStringLiteral("个人档案"), QStringLiteral("文章分类"))),
      form_(form) {}

ListingEntry ListingWalk::Next() {
    ListingEntry entry;
    entry.id = section_.Cut(QStringLiteral("+=\""), QStringLiteral("\"+\""));
    if (!entry.id.isEmpty()) {
        if (form_ == ListingForm::Paged) {
            entry.title = section_.Cut(QStringLiteral("_blank\">"), QStringLiteral("</a></div>"));
        }
        entry.date = section_.Cut(QStringLiteral("date\">"), QStringLiteral("</div"));
    }
    // Each entry ends in its own advance marker; dropping up to it moves to the next entry.
    const QString advance = form_ == ListingForm::Single
                                ? QStringLiteral("\"+\"")
                                : QStringLiteral("x++;document.getElementById");
    section_.DropFront(section_.PositionOf(advance));
    return entry;
}
