#pragma once

#include <QString>
#include <algorithm>
#include <climits>

// When a walk over numbered pages (board, comment search) ends before the last page its count
// or page bar names. A failed request tells nothing of where the entries end, so only answered
// pages without an entry end it, three in a row; or a server gone for twenty failed requests
// in a row, since a hostile bar may name page two billion.
class PageWalkStop {
public:
    // Notes how the next page went; true when the walk ends with it.
    bool EndsWith(bool answered, bool heldAnEntry) {
        failedInARow_ = answered ? 0 : failedInARow_ + 1;
        if (heldAnEntry) {
            answeredWithoutEntries_ = 0;
            return false;
        }
        return (answered && ++answeredWithoutEntries_ == kAnsweredWithoutEntriesToStop) ||
               failedInARow_ == kFailedInARowToStop;
    }

private:
    static constexpr int kAnsweredWithoutEntriesToStop = 3;
    static constexpr int kFailedInARowToStop = 20;
    int answeredWithoutEntries_ = 0;
    int failedInARow_ = 0;
};

// Fetches the pages of one run: a failed request, or one answered with an error status,
// reads as the empty page and is counted, so that the run can say at its end how many pages
// it could not read.
class PageFetcher {
public:
    // The page at the address, or the empty text when the request fails or gets an error.
    QString Fetch(const QString& address);

    // The page at the service root + tail, or the empty text when the request fails. A tail
    // that would send the request to another host (ServicePageAddress) is not requested and
    // counts as a failed request.
    QString FetchServicePage(const QString& tail);

    // Counts a page fetched elsewhere that could not be read.
    void CountUnread(bool unread) { failed_ += unread ? 1 : 0; }

    // Counts pages that a walk ended before requesting: they are unread as well.
    void CountUnrequested(qint64 pages) {
        failed_ = static_cast<int>(std::min<qint64>(failed_ + std::max<qint64>(pages, 0), INT_MAX));
    }

    int FailedCount() const { return failed_; }

    // The note a final status ends with: empty when every request was answered, otherwise
    // "，其中 K 个页面读取失败".
    QString FailureNote() const;

private:
    int failed_ = 0;
};
