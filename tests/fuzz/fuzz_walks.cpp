// Walks the input as every kind of page the runs walk, with the loops the runs use, and stops
// at once when a step that promised to move on did not, or when the rows of any walk (blog
// page categories, listing entries, playlist, board or comment page) hold more than four
// times the page's own characters: a walk must end
// whatever the page holds, and cost no more than the page's size. Input: the page text in
// UTF-8.
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
// How much larger than the page its rows may grow.
constexpr qsizetype kMaxGrowth = 4;

void Shortened(qsizetype before, qsizetype after) {
    if (after >= before) {
        __builtin_trap();
    }
}

// Adds up the characters of the rows a walk gives and traps once they pass the bound.
class RowSize {
public:
    explicit RowSize(const QString& page) : bound_(kMaxGrowth * page.size()) {}

    void Add(const QString& cell) {
        total_ += cell.size();
        if (total_ > bound_) {
            __builtin_trap();
        }
    }

private:
    qsizetype bound_;
    qsizetype total_ = 0;
};

void WalkCategories(const QString& page) {
    RowSize rows(page);
    CategoryWalk categories(page);
    for (int i = 0; i < categories.Count(); ++i) {
        const CategoryEntry entry = categories.Next();
        for (const QString* cell : {&entry.name, &entry.count, &entry.link}) {
            rows.Add(*cell);
        }
    }
}

// Each step of a listing page is one entry; past the point where the section stops
// shrinking the walk gives no further entry.
void WalkListing(const QString& page) {
    const int steps = static_cast<int>(std::min<qsizetype>(kMaxPerPage, page.size() + 2));
    for (ListingForm form : {ListingForm::Single, ListingForm::Paged}) {
        RowSize rows(page);
        ListingWalk listing(page, form);
        for (int m = 0; m < steps; ++m) {
            const ListingEntry entry = listing.Next();
            for (const QString* cell : {&entry.id, &entry.title, &entry.date}) {
                rows.Add(*cell);
            }
        }
    }
}

void WalkPlaylist(const QString& page) {
    RowSize rows(page);
    PlaylistWalk walk(page);
    rows.Add(walk.FrontTitle());
    rows.Add(walk.Next());
    while (walk.AnotherEntryFollows()) {
        const qsizetype before = walk.Rest().size();
        rows.Add(walk.FrontTitle());
        rows.Add(walk.Next());
        Shortened(before, walk.Rest().size());
    }
}

// As the board run takes messages: while one is left, up to 50 from page 0 for a small
// count, and while the number cut says another follows on the other pages; the steps of the
// latter are the first steps of the former.
void WalkBoardPage(const QString& page) {
    RowSize rows(page);
    MessageWalk walk(page);
    while (walk.HoldsAMessage()) {
        const qsizetype before = walk.Rest().size();
        const BoardMessage message = walk.Next();
        for (const QString* cell :
             {&message.number, &message.author, &message.time, &message.text}) {
            rows.Add(*cell);
        }
        Shortened(before, walk.Rest().size());
    }
}

void WalkCommentPage(const QString& page) {
    RowSize rows(page);
    CommentWalk walk(page);
    for (;;) {
        const qsizetype before = walk.Rest().size();
        const ArticleComment comment = walk.Next();
        for (const QString* cell :
             {&comment.title, &comment.text, &comment.commenter, &comment.link, &comment.date}) {
            rows.Add(*cell);
        }
        if (!comment.movedOn || !walk.AnotherCommentFollows()) {
            return;
        }
        Shortened(before, walk.Rest().size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString page =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    WalkCategories(page);
    WalkListing(page);
    WalkPlaylist(page);
    WalkBoardPage(page);
    WalkCommentPage(page);
    return 0;
}
