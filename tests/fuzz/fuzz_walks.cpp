// Walks the input as every kind of page the runs walk, with the loops the runs use, and stops
// at once when a step that promised to move on did not: a walk must end whatever the page
// holds. Input: the page text in UTF-8.
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/CategoryWalk.h"
#include "app/PlaylistWalk.h"
#include "backup/ListingWalk.h"
#include "board/MessageWalk.h"
#include "comments/CommentWalk.h"

namespace {

// The catalogue takes at most this many entries from a listing page (a 16-bit count).
constexpr int kMaxPerPage = 32767;

void Shortened(qsizetype before, qsizetype after) {
    if (after >= before) {
        __builtin_trap();
    }
}

void WalkPlaylist(const QString& page) {
    PlaylistWalk walk(page);
    walk.Next();
    while (walk.AnotherEntryFollows()) {
        const qsizetype before = walk.Rest().size();
        walk.Next();
        Shortened(before, walk.Rest().size());
    }
}

template <typename Walk, typename Follows>
void WalkUntilItStops(Walk walk, Follows anotherFollows) {
    for (;;) {
        const qsizetype before = walk.Rest().size();
        if (!walk.Next().movedOn || !anotherFollows(walk)) {
            return;
        }
        Shortened(before, walk.Rest().size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString page =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CategoryWalk categories(page);
    for (int i = 0; i < categories.Count(); ++i) {
        categories.Next();
    }
    WalkPlaylist(page);
    // Past the point where a section stops shrinking every step repeats the one before.
    const int steps = static_cast<int>(std::min<qsizetype>(kMaxPerPage, page.size() + 2));
    for (ListingForm form : {ListingForm::Single, ListingForm::Paged}) {
        ListingWalk listing(page, form);
        for (int m = 0; m < steps; ++m) {
            listing.Next();
        }
    }
    WalkUntilItStops(MessageWalk(page),
                     [](const MessageWalk& w) { return w.AnotherMessageFollows(); });
    WalkUntilItStops(CommentWalk(page),
                     [](const CommentWalk& w) { return w.AnotherCommentFollows(); });
    return 0;
}
