#include "comments/ArticleComments.h"

#include "app/PageFetcher.h"
#include "app/PageNumbers.h"
#include "app/RecordFileSave.h"
#include "app/RecordWindowControls.h"
#include "app/SpaceAddress.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "platform/ReportList.h"

namespace {

// A page link of the search page bar: &date=">[2]</a>&nbsp;
const QString kPageLinkStart = QStringLiteral("&date=\">[");
const QString kPageLinkEnd = QStringLiteral("]</a>&nbsp;");
// The article title of a result: <font size="3">Title</font></a><br>
const QString kTitleStart = QStringLiteral("size=\"3\">");
const QString kTitleEnd = QStringLiteral("</font></a><br>");
const QString kCommenter = QStringLiteral("评论者");

class CommentRun {
public:
    explicit CommentRun(RecordWindowControls& controls) : controls_(controls) {}

    void Run() {
        controls_.Records().Clear();
        if (IsUsableAddress(controls_.Address()) && !ReadComments()) {
            return;
        }
        RemoveUntitledRows();
        controls_.SetStatus(QStringLiteral("获取完毕，共") + RowCountText() +
                            QStringLiteral("条文章评论") + fetcher_.FailureNote());
        controls_.SetSaveEnabled(true);
    }

private:
    // Returns false when the space has no comments, which ends the run at once.
    bool ReadComments() {
        spaceName_ = SpaceName(controls_.Address());
        const QString first = fetcher_.Fetch(SearchPageAddress(0));
        if (first.contains(QStringLiteral("暂无评论"))) {
            controls_.SetStatus(QStringLiteral("您的百度空间没有文章评论"));
            return false;
        }
        const Short last = LastPageNumber(first);
        controls_.SetStatus(QStringLiteral("您的百度空间约有 ") + QString::number((last + 1) * 10) +
                            QStringLiteral(" 条文章评论"));
        // Page 0 is read once more here.
        for (int k = 0; k <= last; ++k) {
            WalkResultPage(fetcher_.Fetch(SearchPageAddress(k)));
        }
        return true;
    }

    // The number of the last result page, from the "[尾页]" link or else from the page bar;
    // 0 when the page gives no number that fits in 16 bits.
    static Short LastPageNumber(const QString& firstPage) {
        if (firstPage.contains(QStringLiteral("[尾页]"))) {
            const QString link =
                CutBetween(firstPage, QStringLiteral("[下一页]"), QStringLiteral("[尾页]"));
            return ToShort(CutBetween(link, QStringLiteral("pageno="), QStringLiteral("&type")))
                .value_or(0);
        }
        QString bar =
            CutBetween(firstPage, QStringLiteral("search_pagebar"), QStringLiteral("下一页"));
        Short last = 0;
        QString number;
        do {
            number = CutBetween(bar, kPageLinkStart, kPageLinkEnd);
            bar = DropFront(bar, PositionOf(bar, kPageLinkStart));
            if (!number.isEmpty()) {
                last = FitShort(LeadingNumber(number)).value_or(0);
            }
            // Past the last link the cut would find the last number again without end.
        } while (!number.isEmpty() && bar.contains(kPageLinkStart));
        return last;
    }

    // Lists the comments of one result page, at least one row.
    void WalkResultPage(const QString& page) {
        section_ = CutBetween(page, QStringLiteral("文章评论"), QStringLiteral("百度一下"));
        for (;;) {
            const bool advanced = CommentStep();
            controls_.SetStatus(QStringLiteral("正在获取第") + RowCountText() +
                                QStringLiteral("文章评论"));
            Delay(1, QStringLiteral("100"), controls_.Pump());
            // A section that no longer shortens would give the same row forever.
            if (!advanced || CutBetween(section_, kTitleStart, kTitleEnd).isEmpty()) {
                return;
            }
        }
    }

    // Adds one row from the section and drops it up to the commenter just listed. Returns
    // false when there was no commenter, which leaves the section as it was.
    bool CommentStep() {
        platform::ReportList& rows = controls_.Records();
        rows.AddRow(QString::number(rows.RowCount() + 1));
        const int row = rows.RowCount();
        rows.SetCell(row, 1, CutBetween(section_, kTitleStart, kTitleEnd));
        rows.SetCell(row, 2,
                     CutBetween(section_, QStringLiteral("font size=-1>"),
                                QStringLiteral("<br><font color")));
        rows.SetCell(row, 3, CommenterName());
        const int commenter = PositionOf(section_, kCommenter);
        section_ = DropFront(section_, commenter);
        return commenter > 0;
    }

    // The name from the commenter's link, or else the name given as plain text; no blanks.
    QString CommenterName() const {
        const QString part =
            CutBetween(section_, QStringLiteral("评论者:"), QStringLiteral("&nbsp;&nbsp"));
        QString name = CutBetween(part, QStringLiteral(" class=sl>"), QStringLiteral("</a>"));
        if (name.isEmpty()) {
            name = CutBetween(section_, QStringLiteral("评论者:"), QStringLiteral("&nbsp;&nbsp;"));
        }
        return name.remove(QChar(' '));
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
    QString spaceName_;
    QString section_;
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
