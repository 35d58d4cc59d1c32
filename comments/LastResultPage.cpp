#include "comments/LastResultPage.h"

#include <algorithm>
#include <optional>

#include "app/PageNumbers.h"
#include "app/PageText.h"
#include "app/modcut.h"

namespace {

// A page link of the search page bar: &date=">[2]</a>&nbsp;
const QString kPageLinkStart = QStringLiteral("&date=\">[");
const QString kPageLinkEnd = QStringLiteral("]</a>&nbsp;");
const QString kPageNumber = QStringLiteral("pageno=");

// The page number in the address of the link that ends the text, if it carries one.
std::optional<int> LinkedPage(QStringView beforeLabel) {
    const qsizetype at = beforeLabel.lastIndexOf(kPageNumber);
    if (at < 0) {
        return std::nullopt;
    }
    return FitLong(LeadingNumber(beforeLabel.mid(at + kPageNumber.size()).toString()));
}

LastResultPage LastPageOfBar(const QString& barText) {
    PageText bar(barText);
    LastResultPage last;
    QString number;
    do {
        number = bar.Cut(kPageLinkStart, kPageLinkEnd);
        const int link = bar.PositionOf(kPageLinkStart);
        if (!number.isEmpty()) {
            last.shown = FitLong(LeadingNumber(number)).value_or(0);
            last.linked = LinkedPage(bar.Rest().left(std::max(0, link - 1)))
                              .value_or(std::max(0, last.shown - 1));
        }
        bar.DropFront(link);
        // Past the last link the cut would find the last number again without end.
    } while (!number.isEmpty() && bar.Contains(kPageLinkStart));
    return last;
}

}  // namespace

LastResultPage ReadLastResultPage(const QString& firstPage) {
    if (firstPage.contains(QStringLiteral("[尾页]"))) {
        const QString link =
            CutBetween(firstPage, QStringLiteral("[下一页]"), QStringLiteral("[尾页]"));
        const int last = ToLong(CutBetween(link, kPageNumber, QStringLiteral("&type"))).value_or(0);
        return {last, last};
    }
    return LastPageOfBar(
        CutBetween(firstPage, QStringLiteral("search_pagebar"), QStringLiteral("下一页")));
}
