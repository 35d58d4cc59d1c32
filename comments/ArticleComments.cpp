#include "comments/ArticleComments.h"

#include "app/PageFetcher.h"
#include "app/RecordFileSave.h"
#include "app/RecordWindowControls.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "comments/CommentWalk.h"
#include "comments/CommentedArticle.h"
#include "comments/LastResultPage.h"
#include "platform/ReportList.h"

#include <optional>

namespace {

class CommentRun {
public:
    explicit CommentRun(RecordWindowControls& controls) : controls_(controls) {}

    void Run() {
        controls_.Records().Clear();
        controls_.SetLastRetrieval({});
        // The run lists one space from start to end, whatever is typed into the box meanwhile.
        address_ = controls_.Address();
        controls_.SetListedAddress(address_);
        if (IsUsableAddress(address_)) {
            const std::optional<Outcome> early = ReadComments();
            if (early == Outcome::NoComments) {
                controls_.SetStatus(QStringLiteral("您的百度空间没有文章评论"));
                return;
            }
            if (early == Outcome::NoSpace) {
                // Nothing of a space to list, nor to save over an earlier page.
                controls_.SetStatus(NoSpaceCaption(laterLayout_));
                controls_.SetLastRetrieval({.spaceMissing = true, .laterLayout = laterLayout_});
                controls_.SetSaveEnabled(false);
                return;
            }
        }
        RemoveUntitledRows();
        controls_.SetStatus(QStringLiteral("获取完毕，共") + RowCountText() +
                            QStringLiteral("条文章评论") + fetcher_.FailureNote());
        controls_.SetLastRetrieval({.unreadPages = fetcher_.FailedCount()});
        controls_.SetSaveEnabled(true);
    }

private:
    // How a retrieval ends before its walk.
    enum class Outcome { NoComments, NoSpace };

    // Returns how the retrieval ended early, or nothing when it walked the result pages.
    std::optional<Outcome> ReadComments() {
        spaceName_ = SpaceName(address_);
        const SpacePageAnswer answer = FetchSpacePage(SearchPageAddress(0), &IsSearchPage);
        if (answer.verdict == SpacePageVerdict::NotTheSpace) {
            laterLayout_ = answer.laterLayout;
            return Outcome::NoSpace;
        }
        fetcher_.CountUnread(answer.verdict == SpacePageVerdict::Unread);
        const QString& first = answer.text;
        if (first.contains(QStringLiteral("暂无评论"))) {
            return SpaceExists() ? Outcome::NoComments : Outcome::NoSpace;
        }
        const LastResultPage last = ReadLastResultPage(first);
        controls_.SetStatus(QStringLiteral("您的百度空间约有 ") +
                            QString::number((qint64{last.shown} + 1) * 10) +
                            QStringLiteral(" 条文章评论"));
        WalkResultPages(last.linked);
        return std::nullopt;
    }

    // Lists the comments of result pages 0 to the last one linked; page 0 is read once more.
    void WalkResultPages(qint64 lastLinked) {
        PageWalkStop stop;
        for (qint64 k = 0; k <= lastLinked; ++k) {
            const ResultPage page = FetchResultPage(k);
            if (stop.EndsWith(page.answered, WalkResultPage(page.text) > 0)) {
                // The pages up to the one the bar names are counted with the unread ones.
                fetcher_.CountUnrequested(lastLinked - k);
                return;
            }
        }
    }

    struct ResultPage {
        QString text;   // empty when the request failed or no page of the search came back
        bool answered;  // the request was answered with a page
    };

    // Result page k. Anything but a page of the search answered in its place (an archive's
    // "not archived" page, a placeholder) is an unread page, as a failed request is: its list
    // is incomplete, and an earlier 文章评论.htm must not give way to it.
    ResultPage FetchResultPage(qint64 k) {
        const int failedBefore = fetcher_.FailedCount();
        QString page = fetcher_.Fetch(SearchPageAddress(k));
        const bool answered = fetcher_.FailedCount() == failedBefore;
        if (answered && !IsSearchPage(page)) {
            fetcher_.CountUnread(true);
            page.clear();
        }
        return {std::move(page), answered};
    }

    // A page of the comment search, with results or with none; anything else in its place
    // (the service's error page, an archive's "not archived" page) names no space.
    static bool IsSearchPage(const QString& page) {
        return page.contains(QStringLiteral("暂无评论")) || IsCommentSearchPage(page);
    }

    // The search answers "暂无评论" for any name, also one that names no space; the space's
    // blog page tells the two apart. A blog page that could not be read leaves the search's
    // answer standing.
    bool SpaceExists() {
        const SpacePageAnswer blog =
            FetchSpacePage(SpacePageAddress(address_, QStringLiteral("/blog")), &IsSpaceBlogPage);
        laterLayout_ = blog.laterLayout;
        return blog.verdict != SpacePageVerdict::NotTheSpace;
    }

    // Lists the comments of one result page, at least one row, and returns how many have a
    // title (the others are removed at the end). A section that no longer shortens would
    // give the same row forever, so the walk ends there too.
    int WalkResultPage(const QString& page) {
        CommentWalk comments(page);
        int titled = 0;
        for (;;) {
            const ArticleComment comment = comments.Next();
            AddRow(comment);
            titled += comment.title.isEmpty() ? 0 : 1;
            controls_.SetStatus(QStringLiteral("正在获取第") + RowCountText() +
                                QStringLiteral("文章评论"));
            Delay(1, QStringLiteral("100"), controls_.Pump());
            if (!comment.movedOn || !comments.AnotherCommentFollows()) {
                return titled;
            }
        }
    }

    void AddRow(const ArticleComment& comment) {
        platform::ReportList& rows = controls_.Records();
        const int row = rows.AddNumberedRow();
        rows.SetCell(row, 1, comment.title);
        rows.SetCell(row, 2, comment.text);
        rows.SetCell(row, 3, comment.commenter);
        // Beside the cells: the list keeps its four columns, the save record the rest.
        rows.SetRowNote(row, kCommentArticleNote,
                        CommentedArticleAddress(comment.link, address_).value_or(QString()));
        rows.SetRowNote(row, kCommentDateNote, comment.date);
    }

    void RemoveUntitledRows() {
        platform::ReportList& rows = controls_.Records();
        for (int row = rows.RowCount(); row >= 1; --row) {
            if (rows.Cell(row, 1).isEmpty()) {
                rows.RemoveRow(row);
            }
        }
    }

    QString SearchPageAddress(qint64 k) const {
        return kServiceRoot + QStringLiteral("/sys/search?pageno=") + QString::number(k) +
               QStringLiteral("&type=9&sort=1&word=&entry=2&region=3&hi=") + spaceName_ +
               QStringLiteral("&date=");
    }

    QString RowCountText() const { return QString::number(controls_.Records().RowCount()); }

    RecordWindowControls& controls_;
    QString address_;  // the address the run lists
    // The page that showed no space was a capture of the later layout.
    bool laterLayout_ = false;
    PageFetcher fetcher_;
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
                               QStringLiteral("   评论者：")},
                              true});
}
