#include "comments/ArticleComments.h"

#include "app/PageFetcher.h"
#include "app/PageNumbers.h"
#include "app/PageText.h"
#include "app/RecordFileSave.h"
#include "app/RecordWindowControls.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "comments/CommentWalk.h"
#include "platform/ReportList.h"

#include <algorithm>
#include <optional>

namespace {

// A page link of the search page bar: &date=">[2]</a>&nbsp;
const QString kPageLinkStart = QStringLiteral("&date=\">[");
const QString kPageLinkEnd = QStringLiteral("]</a>&nbsp;");

class CommentRun {
public:
    explicit CommentRun(RecordWindowControls& controls) : controls_(controls) {}

    void Run() {
        controls_.Records().Clear();
        controls_.SetLastRetrieval({});
        if (IsUsableAddress(controls_.Address())) {
            const std::optional<Outcome> early = ReadComments();
            if (early == Outcome::NoComments) {
                controls_.SetStatus(QStringLiteral("您的百度空间没有文章评论"));
                return;
            }
            if (early == Outcome::NoSpace) {
                // Nothing of a space to list, nor to save over an earlier page.
                controls_.SetStatus(kMissingSpaceCaption);
                controls_.SetLastRetrieval({.spaceMissing = true});
                controls_.SetSaveEnabled(false);
                return;
            }
        }
        RemoveUntitledRows();
        controls_.SetStatus(QStringLiteral("获取完毕，共") + RowCountText() +
                            QStringLiteral("条文章评论") + fetcher_.FailureNote());
        controls_.SetLastRetrieval({.readPages = requested_ - fetcher_.FailedCount(),
                                    .unreadPages = fetcher_.FailedCount()});
        controls_.SetSaveEnabled(true);
    }

private:
    // How a retrieval ends before its walk.
    enum class Outcome { NoComments, NoSpace };

    // Returns how the retrieval ended early, or nothing when it walked the result pages.
    std::optional<Outcome> ReadComments() {
        spaceName_ = SpaceName(controls_.Address());
        ++requested_;
        const SpacePageAnswer answer = FetchSpacePage(SearchPageAddress(0), &IsSearchPage);
        if (answer.verdict == SpacePageVerdict::NotTheSpace) {
            return Outcome::NoSpace;
        }
        fetcher_.CountUnread(answer.verdict == SpacePageVerdict::Unread);
        const QString& first = answer.text;
        if (first.contains(QStringLiteral("暂无评论"))) {
            return Outcome::NoComments;
        }
        const LastPage last = LastPageNumber(first);
        controls_.SetStatus(QStringLiteral("您的百度空间约有 ") +
                            QString::number((last.shown + 1) * 10) + QStringLiteral(" 条文章评论"));
        // Page 0 is read once more here.
        for (int k = 0; k <= last.linked; ++k) {
            ++requested_;
            WalkResultPage(fetcher_.Fetch(SearchPageAddress(k)));
        }
        return std::nullopt;
    }

    // A page of the comment search, with results or with none; anything else in its place
    // (the service's error page, an archive's "not archived" page) names no space.
    static bool IsSearchPage(const QString& page) {
        return page.contains(QStringLiteral("暂无评论")) || IsCommentSearchPage(page);
    }

    // The last result page as the first page gives it: the number shown for it, from which
    // the estimate is made, and its own page number, up to which the walk reads.
    struct LastPage {
        Short shown = 0;
        Short linked = 0;
    };

    // From the "[尾页]" link, whose page number both counts and addresses the last page, or
    // else from the page bar; 0 when the page gives no number that fits in 16 bits.
    static LastPage LastPageNumber(const QString& firstPage) {
        if (firstPage.contains(QStringLiteral("[尾页]"))) {
            const QString link =
                CutBetween(firstPage, QStringLiteral("[下一页]"), QStringLiteral("[尾页]"));
            const Short last =
                ToShort(CutBetween(link, QStringLiteral("pageno="), QStringLiteral("&type")))
                    .value_or(0);
            return {last, last};
        }
        return LastPageOfBar(
            CutBetween(firstPage, QStringLiteral("search_pagebar"), QStringLiteral("下一页")));
    }

    // The bar labels its links from 1, while their addresses number the pages from 0: the
    // estimate keeps the label, the walk goes to the page the last link leads to.
    static LastPage LastPageOfBar(const QString& barText) {
        PageText bar(barText);
        LastPage last;
        QString number;
        do {
            number = bar.Cut(kPageLinkStart, kPageLinkEnd);
            const int link = bar.PositionOf(kPageLinkStart);
            if (!number.isEmpty()) {
                last.shown = FitShort(LeadingNumber(number)).value_or(0);
                last.linked = LinkedPage(bar.Rest().left(std::max(0, link - 1)))
                                  .value_or(std::max(0, last.shown - 1));
            }
            bar.DropFront(link);
            // Past the last link the cut would find the last number again without end.
        } while (!number.isEmpty() && bar.Contains(kPageLinkStart));
        return last;
    }

    // The page number in the address of the link that ends the text, if it carries one.
    static std::optional<Short> LinkedPage(QStringView beforeLabel) {
        const qsizetype at = beforeLabel.lastIndexOf(QStringLiteral("pageno="));
        if (at < 0) {
            return std::nullopt;
        }
        return FitShort(LeadingNumber(beforeLabel.mid(at + 7).toString()));
    }

    // Lists the comments of one result page, at least one row. A section that no longer
    // shortens would give the same row forever, so the walk ends there too.
    void WalkResultPage(const QString& page) {
        CommentWalk comments(page);
        for (;;) {
            const bool movedOn = CommentStep(comments.Next());
            controls_.SetStatus(QStringLiteral("正在获取第") + RowCountText() +
                                QStringLiteral("文章评论"));
            Delay(1, QStringLiteral("100"), controls_.Pump());
            if (!movedOn || !comments.AnotherCommentFollows()) {
                return;
            }
        }
    }

    // Adds one row; returns false when the section could not move on.
    bool CommentStep(const ArticleComment& comment) {
        platform::ReportList& rows = controls_.Records();
        const int row = rows.AddNumberedRow();
        rows.SetCell(row, 1, comment.title);
        rows.SetCell(row, 2, comment.text);
        rows.SetCell(row, 3, comment.commenter);
        return comment.movedOn;
    }

    void RemoveUntitledRows() {
        platform::ReportList& rows = controls_.Records();
        for (int row = rows.RowCount(); row >= 1; --row) {
            if (rows.Cell(row, 1).isEmpty()) {
                rows.RemoveRow(row);
            }
        }
    }

    QString SearchPageAddress(int k) const {
        return kServiceRoot + QStringLiteral("/sys/search?pageno=") + QString::number(k) +
               QStringLiteral("&type=9&sort=1&word=&entry=2&region=3&hi=") + spaceName_ +
               QStringLiteral("&date=");
    }

    QString RowCountText() const { return QString::number(controls_.Records().RowCount()); }

    RecordWindowControls& controls_;
    PageFetcher fetcher_;
    int requested_ = 0;
    QString spaceName_;
};

}  // namespace

void RunCommentRetrieval(RecordWindowControls& controls) {
    CommentRun(controls).Run();
}

bool RunCommentSave(RecordWindowControls& controls) {
    return RunRecordFileSave(controls,
                             {QStringLiteral("文章评论.htm"),
                              {QStringLiteral("   评论文章："), QStringLiteral("   评论内容："),
                               QStringLiteral("   评论者：")}});
}
