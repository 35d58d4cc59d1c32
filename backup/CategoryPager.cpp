#include "backup/CategoryPager.h"

#include "app/modcut.h"

namespace {

const QString kNextLink = QStringLiteral("[下一页]");
const QString kLastLink = QStringLiteral("[尾页]");

// A pager with a next link and no last-page link: the last numbered link stands right
// before the next link, so its index is read from the tail of the links before it.
QString IndexBeforeNextLink(const QString& categoryPage, const QString& address,
                            PagerValues& values) {
    values.fragment = CutBetween(categoryPage, QStringLiteral("[首页]"),
                                 address + QStringLiteral("/index/1\">") + kNextLink);
    const qsizetype keep =
        (QStringLiteral("]</a>&nbsp;<a href=\"/") + address + QStringLiteral("/index/1")).size() +
        10;
    values.fragment = values.fragment.right(keep);
    return CutBetween(values.fragment, QStringLiteral("ndex/"), QStringLiteral("\">["));
}

}  // namespace

void ReadLastPageIndex(const QString& categoryPage, const QString& address, PagerValues& values) {
    const int next = PositionOf(categoryPage, kNextLink);
    const int last = PositionOf(categoryPage, kLastLink);
    if (next > 0 && last == 0) {
        values.pageIndex = IndexBeforeNextLink(categoryPage, address, values);
        return;
    }
    if (next == 0 || last == 0) {
        values.pageIndex = QStringLiteral("0");
        return;
    }
    // The last-page link follows the next link; its address ends in "index/" and the index.
    const int length = last - next - 2;
    if (length < 0) {
        return;
    }
    values.fragment = categoryPage.mid(next - 1, length);
    const int keep =
        static_cast<int>(values.fragment.size()) - PositionOf(values.fragment, "index") - 5;
    if (keep < 0) {
        return;
    }
    values.pageIndex = values.fragment.right(keep);
}
