#include "board/MessageBoard.h"

#include "app/PageFetcher.h"
#include "app/PageNumbers.h"
#include "app/RecordFileSave.h"
#include "app/RecordWindowControls.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "board/MessageWalk.h"
#include "platform/ReportList.h"

namespace {

constexpr int kMessagesPerPage = 50;

class BoardRun {
public:
    explicit BoardRun(RecordWindowControls& controls) : controls_(controls) {}

    void Run() {
        controls_.Records().Clear();
        controls_.SetLastRetrieval({});
        // The run lists one space from start to end, whatever is typed into the box meanwhile.
        address_ = controls_.Address();
        controls_.SetListedAddress(address_);
        if (IsUsableAddress(address_) && !ReadBoard()) {
            // Nothing of a space to list, nor to save over an earlier page.
            controls_.SetStatus(NoSpaceCaption(laterLayout_));
            controls_.SetLastRetrieval({.spaceMissing = true, .laterLayout = laterLayout_});
            controls_.SetSaveEnabled(false);
            return;
        }
        controls_.SetStatus(QStringLiteral("获取完毕，共") + RowCountText() +
                            QStringLiteral("条留言") + fetcher_.FailureNote());
        controls_.SetLastRetrieval({.unreadPages = fetcher_.FailedCount()});
        controls_.SetSaveEnabled(true);
    }

private:
    // Returns false when the profile page shows that the address names no space.
    bool ReadBoard() {
        const SpacePageAnswer profile = FetchSpacePage(
            SpacePageAddress(address_, QStringLiteral("/profile")), &IsSpaceProfilePage);
        if (profile.verdict == SpacePageVerdict::NotTheSpace) {
            laterLayout_ = profile.laterLayout;
            return false;
        }
        fetcher_.CountUnread(profile.verdict == SpacePageVerdict::Unread);
        count_ = CutBetween(profile.text, QStringLiteral("留言(<b>"), QStringLiteral("</b>条"));
        const int messages = ToLong(count_).value_or(0);
        controls_.SetStatus(QStringLiteral("您的百度空间共有") + count_ + QStringLiteral("条留言"));
        const BoardPage first = FetchBoardPage(0);
        if (messages <= kMessagesPerPage) {
            // All messages are taken from page 0, as many as the profile counts.
            // Once no message is left, a further step would only repeat what the cuts give
            // on the rest of the page: as many junk rows as the count is off.
            if (messages > 0 && ReadPage(first.text)) {
                for (int i = 0; i < messages && page_.HoldsAMessage(); ++i) {
                    MessageStep();
                    Progress(QStringLiteral("条留言"));
                }
            }
            return true;
        }
        WalkBoardPages((messages - 1) / kMessagesPerPage);
        return true;
    }

    // Lists the messages of board pages 0 to last; page 0 is read once more. The last page
    // holding a message is (N - 1) / 50: a page past it was never linked to, so an archive
    // never captured it.
    void WalkBoardPages(int last) {
        PageWalkStop stop;
        for (int k = 0; k <= last; ++k) {
            const BoardPage page = FetchBoardPage(k);
            const bool heldMessages = ReadPage(page.text);
            if (heldMessages) {
                WalkPage();
            }
            if (stop.EndsWith(page.answered, heldMessages)) {
                // The pages the walk leaves are counted with the unread ones, so the list reads
                // as incomplete.
                fetcher_.CountUnrequested(last - k);
                return;
            }
        }
    }

    // Starts the walk of a page that the count promised messages on. A page that holds none
    // (a failed request, a placeholder page in its place) is an unread page, not a message:
    // returns false after counting it.
    bool ReadPage(const QString& page) {
        page_ = MessageWalk(page);
        if (page_.HoldsAMessage()) {
            return true;
        }
        // A failed request is counted already, as the empty page it reads as.
        fetcher_.CountUnread(!page.isEmpty());
        return false;
    }

    // Lists the messages of a page that holds one, at least one row. The walk ends where
    // the number cut says so, and where no message is left to take, which a page text that
    // no longer shortens would otherwise repeat forever.
    void WalkPage() {
        do {
            MessageStep();
            Progress(QStringLiteral("留言"));
        } while (page_.AnotherMessageFollows() && page_.HoldsAMessage());
    }

    // Adds one row from the page text, which holds a message.
    void MessageStep() {
        platform::ReportList& rows = controls_.Records();
        const BoardMessage message = page_.Next();
        const int row = rows.AddNumberedRow();
        rows.SetCell(row, 1, message.number);
        rows.SetCell(row, 2, message.author);
        rows.SetCell(row, 3, message.time);
        rows.SetCell(row, 4, message.text);
    }

    void Progress(const QString& ending) {
        controls_.SetStatus(QStringLiteral("您的百度空间共有") + count_ +
                            QStringLiteral("条留言，正在获取第") + RowCountText() + ending);
        Delay(1, QStringLiteral("100"), controls_.Pump());
    }

    struct BoardPage {
        QString text;   // empty when the request failed
        bool answered;  // the request was answered with a page
    };

    BoardPage FetchBoardPage(int k) {
        const int failedBefore = fetcher_.FailedCount();
        QString text = fetcher_.Fetch(SpacePageAddress(address_, QStringLiteral("/board/index/")) +
                                      QString::number(k) + QStringLiteral("#comment"));
        return {std::move(text), fetcher_.FailedCount() == failedBefore};
    }

    QString RowCountText() const { return QString::number(controls_.Records().RowCount()); }

    RecordWindowControls& controls_;
    QString address_;  // the address the run lists
    // Its profile page was a capture of the later layout.
    bool laterLayout_ = false;
    PageFetcher fetcher_;
    QString count_;
    MessageWalk page_;
};

}  // namespace

void RunBoardRetrieval(RecordWindowControls& controls) {
    BoardRun(controls).Run();
}

bool RunBoardSave(RecordWindowControls& controls) {
    return RunRecordFileSave(controls,
                             {QStringLiteral("留言版.htm"),
                              {QStringLiteral("   留言序号："), QStringLiteral("   留言者："),
                               QStringLiteral("   留言时间："), QStringLiteral("   留言内容：")}});
}
