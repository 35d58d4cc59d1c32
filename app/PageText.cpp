#include "app/PageText.h"

#include <algorithm>

namespace {

// Enough for the markers of any one walk; texts searched once fall out first.
constexpr std::size_t kRememberedSearches = 16;

}  // namespace

PageText::PageText(QString text) : text_(std::move(text)) {}

QString PageText::Cut(const QString& startMarker, const QString& endMarker) const {
    return Cut(startMarker, endMarker, 0);
}

QString PageText::Cut(const QString& startMarker, const QString& endMarker, int limit) const {
    // Positions are 1-based and relative to the front; an absent start marker leaves s at 0,
    // so the cut starts at L, the marker's length.
    const qsizetype size = text_.size() - front_;
    const qsizetype s = PositionOf(startMarker);
    const qsizetype b = s + startMarker.size();
    if (b > size) {
        return {};
    }
    const qsizetype found = Find(endMarker, front_ + b - 1);
    const qsizetype e = found < 0 ? 0 : found - front_ + 1;
    // The cut holds positions b to e - 1.
    if (e - b < 0 || (limit > 0 && e > limit)) {
        return {};
    }
    return text_.mid(front_ + b - 1, e - b);
}

int PageText::PositionOf(const QString& marker) const {
    return PositionOf(marker, 1);
}

int PageText::PositionOf(const QString& marker, int from) const {
    const qsizetype found = Find(marker, front_ + std::max(from, 1) - 1);
    return found < 0 ? 0 : static_cast<int>(found - front_ + 1);
}

bool PageText::FirstFoundAt(const QString& text, int position) const {
    const QStringView rest = Rest();
    for (int at = 1; at <= position; ++at) {
        if (rest.mid(at - 1).startsWith(text)) {
            return at == position;
        }
    }
    return false;
}

void PageText::DropFront(int count) {
    if (count > 0) {
        front_ = std::min(text_.size(), front_ + count);
    }
}

qsizetype PageText::Find(const QString& marker, qsizetype from) const {
    auto search = std::find_if(searches_.begin(), searches_.end(),
                               [&marker](const Search& s) { return s.marker == marker; });
    if (search == searches_.end()) {
        if (searches_.size() == kRememberedSearches) {
            searches_.pop_back();
        }
        searches_.insert(searches_.begin(), Search{marker, from, text_.indexOf(marker, from)});
        return searches_.front().found;
    }
    std::rotate(searches_.begin(), search, search + 1);
    Search& last = searches_.front();
    // The first occurrence at or after `from` is known when the last search began no later
    // and found nothing, or found an occurrence that is not before `from`.
    if (from < last.from || (last.found >= 0 && last.found < from)) {
        last.from = from;
        last.found = text_.indexOf(marker, from);
    }
    return last.found;
}
