#include "app/SpaceSurvey.h"

#include "app/CategoryWalk.h"
#include "app/PageNumbers.h"
#include "app/PageText.h"
#include "app/PlaylistFetch.h"
#include "app/PlaylistRows.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "app/modgetdata.h"
#include "platform/EventPump.h"
#include "platform/ReportList.h"

namespace {

// A page link of the comment search's page bar: &date=">[2]</a>&nbsp;
const QString kPageLinkStart = QStringLiteral("&date=\">[");
const QString kPageLinkEnd = QStringLiteral("]</a>&nbsp;");

void Wait(SurveyControls& controls) {
    Delay(1, QStringLiteral("100"), controls.Pump());
}

// Captions for a panel whose page could not be read: an empty page would pass for an empty
// space.
const QString kArticlesUnread = QStringLiteral("您的百度空间文章分类读取失败");
const QString kSongsUnread = QStringLiteral("您的百度空间背景音乐列表读取失败");
const QString kCssUnknown = QStringLiteral("您的百度空间CSS代码未能获取");
const QString kBoardUnread = QStringLiteral("您的百度空间留言数读取失败");
const QString kCommentsUnread = QStringLiteral("您的百度空间文章评论读取失败");

// Fills the category list from the blog page and returns the space's article total.
Short ListCategories(SurveyControls& controls, const QString& blogPage) {
    CategoryWalk categories(blogPage);
    platform::ReportList& rows = controls.Categories();
    Short total = 0;
    for (int i = 1; i <= categories.Count(); ++i) {
        const CategoryEntry category = categories.Next();
        const int row = rows.AddNumberedRow();
        rows.SetCell(row, 1, category.name);
        rows.SetCell(row, 3, controls.Address() + category.link);
        rows.SetCell(row, 2, category.count);
        bool isNumber = false;
        const double articles = rows.Cell(i, 2).trimmed().toDouble(&isNumber);
        if (const auto sum = FitShort(articles + total); isNumber && sum) {
            total = *sum;
        }
    }
    return total;
}

// Fills the song list from the playlist, one row and one wait per entry, judging a page in
// its place by the blog page read before. Returns false when the playlist could not be read.
bool ListSongs(SurveyControls& controls, const SpacePageAnswer& blog) {
    const std::optional<QString> playlist = FetchPlaylist(controls.Address());
    if (!playlist) {
        controls.SetLabel(SurveyLabel::Music, kSongsUnread);
        return false;
    }
    // Through an archive, a page that is no playlist (a "not archived" page) leaves the songs
    // unknown rather than absent.
    if (!IsPlaylist(*playlist) && JudgeNoPlaylist(blog, *playlist) == NoPlaylist::Unread) {
        controls.SetLabel(SurveyLabel::Music, kSongsUnread);
        return false;
    }
    if (!playlist->contains(QStringLiteral("entry"))) {
        return true;
    }
    ListPlaylist(*playlist, controls.Songs(), controls.Pump());
    controls.SetLabel(
        SurveyLabel::Music,
        QStringLiteral("您的百度空间共有 %1 首背景音乐").arg(controls.Songs().RowCount()));
    return true;
}

QString BoardLine(const SpacePageAnswer& profile) {
    if (profile.verdict != SpacePageVerdict::Page) {
        return kBoardUnread;
    }
    const QString& profilePage = profile.text;
    const QString count =
        CutBetween(profilePage, QStringLiteral("留言(<b>"), QStringLiteral("</b>条"));
    return QStringLiteral("您的百度空间共有 %1 条留言")
        .arg(count.isEmpty() ? QStringLiteral("0") : count);
}

// The estimate from the last page number that the page bar links to (no last-page link).
Short LastLinkedPage(const QString& searchPage) {
    PageText bar(
        CutBetween(searchPage, QStringLiteral("search_pagebar"), QStringLiteral("下一页")));
    Short pageNumber = 0;
    while (bar.Contains(kPageLinkStart)) {
        const QString page = bar.Cut(kPageLinkStart, kPageLinkEnd);
        bar.DropFront(bar.PositionOf(kPageLinkStart));
        if (page.isEmpty()) {
            break;
        }
        pageNumber = FitShort(LeadingNumber(page)).value_or(pageNumber);
    }
    return pageNumber;
}

// Writes the comment line; returns false when the search page could not be read.
bool EstimateComments(SurveyControls& controls, const QString& spaceName) {
    const std::optional<QString> answer =
        GetData(kServiceRoot +
                QStringLiteral("/sys/search?pageno=0&type=9&sort=1&word=&entry=2&region=3&hi=") +
                spaceName + QStringLiteral("&date="));
    const QString searchPage = answer.value_or(QString());
    if (searchPage.contains(QStringLiteral("暂无评论"))) {
        controls.SetLabel(SurveyLabel::Comments, QStringLiteral("您的百度空间没有文章评论"));
        return true;
    }
    // A placeholder or error page in its place would read as a space without comments.
    if (!IsCommentSearchPage(searchPage)) {
        controls.SetLabel(SurveyLabel::Comments, kCommentsUnread);
        return false;
    }
    std::optional<Short> estimate;
    if (searchPage.contains(QStringLiteral("[尾页]"))) {
        const QString link =
            CutBetween(searchPage, QStringLiteral("[下一页]"), QStringLiteral("[尾页]"));
        const Short lastPage =
            ToShort(CutBetween(link, QStringLiteral("pageno="), QStringLiteral("&type")))
                .value_or(0);
        estimate = FitShort((lastPage + 1) * 10.0);
    } else {
        estimate = FitShort(LastLinkedPage(searchPage) * 10.0);
    }
    // An estimate beyond 16 bits leaves the line empty rather than wrong.
    if (estimate) {
        controls.SetLabel(SurveyLabel::Comments,
                          QStringLiteral("您的百度空间约有 %1 条文章评论").arg(*estimate));
    }
    return true;
}

// The panels after the article line when the address names no space: nothing of it to show.
void ShowMissingSpace(SurveyControls& controls, bool laterLayout) {
    controls.SetLabel(SurveyLabel::Article, NoSpaceCaption(laterLayout));
    for (const SurveyLabel label :
         {SurveyLabel::Music, SurveyLabel::Css, SurveyLabel::Board, SurveyLabel::Comments}) {
        controls.SetLabel(label, QString());
    }
    controls.SetLabel(SurveyLabel::Photo,
                      QStringLiteral("此版本还未添加获取空间相片功能，尽请期待"));
}

SurveyOutcome Survey(SurveyControls& controls, const QString& appFolder) {
    controls.Categories().Clear();
    controls.Songs().Clear();
    controls.SetSurveyEnabled(false);
    if (const QString complete = WithWebScheme(controls.Address());
        complete != controls.Address()) {
        controls.SetAddress(complete);
    }

    SurveyOutcome outcome;
    QString spaceName;
    Short articleTotal = 0;
    SpacePageVerdict blog = SpacePageVerdict::Page;
    bool laterLayout = false;
    if (IsUsableAddress(controls.Address())) {
        spaceName = SpaceName(controls.Address());
        const SpacePageAnswer answer = FetchSpacePage(
            SpacePageAddress(controls.Address(), QStringLiteral("/blog")), &IsSpaceBlogPage);
        blog = answer.verdict;
        laterLayout = answer.laterLayout;
        articleTotal = ListCategories(controls, answer.text);
    }
    if (blog == SpacePageVerdict::NotTheSpace) {
        ShowMissingSpace(controls, laterLayout);
        outcome.spaceMissing = true;
        controls.SetSurveyEnabled(true);
        SaveSpaceAddress(appFolder, controls.Address());
        return outcome;
    }
    outcome.unreadPages += blog == SpacePageVerdict::Unread ? 1 : 0;
    controls.SetLabel(SurveyLabel::Article,
                      blog == SpacePageVerdict::Unread
                          ? kArticlesUnread
                          : QStringLiteral("您的百度空间共有 %1 个“文章分类”和 %2 篇文章")
                                .arg(controls.Categories().RowCount())
                                .arg(articleTotal));

    controls.SetLabel(SurveyLabel::Music, QString());
    Wait(controls);
    if (IsUsableAddress(controls.Address()) && !ListSongs(controls, {blog, {}, laterLayout})) {
        ++outcome.unreadPages;
    }
    if (controls.Label(SurveyLabel::Music).isEmpty()) {
        controls.SetLabel(SurveyLabel::Music, QStringLiteral("您的百度空间没有背景音乐"));
    }

    controls.SetLabel(SurveyLabel::Css, QString());
    Wait(controls);
    // The line promises the sheet of a space; without its blog page nothing says there is one.
    controls.SetLabel(SurveyLabel::Css,
                      blog == SpacePageVerdict::Unread
                          ? kCssUnknown
                          : QStringLiteral("您的百度空间CSS代码已经获取，请点击查看"));
    controls.SetLabel(SurveyLabel::Photo, QString());
    Wait(controls);
    controls.SetLabel(SurveyLabel::Photo,
                      QStringLiteral("此版本还未添加获取空间相片功能，尽请期待"));
    controls.SetLabel(SurveyLabel::Board, QString());
    Wait(controls);

    if (IsUsableAddress(controls.Address())) {
        const SpacePageAnswer profile = FetchSpacePage(
            SpacePageAddress(controls.Address(), QStringLiteral("/profile")), &IsSpaceProfilePage);
        outcome.unreadPages += profile.verdict == SpacePageVerdict::Page ? 0 : 1;
        controls.SetLabel(SurveyLabel::Board, BoardLine(profile));
        controls.SetLabel(SurveyLabel::Comments, QString());
        Wait(controls);
        // A space without comments is still the space surveyed: its address is remembered
        // like any other, or the windows opened next would show the previous space.
        if (!EstimateComments(controls, spaceName)) {
            ++outcome.unreadPages;
        }
    }
    controls.SetSurveyEnabled(true);
    SaveSpaceAddress(appFolder, controls.Address());
    return outcome;
}

}  // namespace

SurveyOutcome RunSpaceSurvey(SurveyControls& controls, const QString& appFolder) {
    try {
        return Survey(controls, appFolder);
    } catch (const platform::RunStopped&) {
        controls.SetSurveyEnabled(true);
        throw;
    }
}
