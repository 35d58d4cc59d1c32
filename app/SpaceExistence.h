#pragma once

#include <QString>

// The status a window shows when the address names no space: the service's error page, the
// page a closed space was sent to, or an archive's "not archived" page came back instead.
inline const QString kMissingSpaceCaption = QStringLiteral("您的百度空间不存在！！");

// The status shown in its stead when the page is a capture of the layout the service gave
// spaces from 2012 on ("新版空间"), which none of the cuts can read: an earlier capture may
// still hold the space as it was. Short enough for the music window's status line.
inline const QString kLaterLayoutCaption =
    QStringLiteral("此存档为新版空间，无法读取，请选更早的存档");

// What one request for a page of a space told of the space.
enum class SpacePageVerdict {
    Page,         // one of the space's pages
    NotTheSpace,  // an answer, but no page of any space: the space does not exist
    Unread,       // no answer to judge by (refused, timed out, empty, an archive's error)
};

struct SpacePageAnswer {
    SpacePageVerdict verdict = SpacePageVerdict::Unread;
    QString text;              // the page in code page 936; empty unless verdict is Page
    bool laterLayout = false;  // with NotTheSpace: a capture of the later layout
};

// What a window says of an address whose page is NotTheSpace: kLaterLayoutCaption when the
// page was a capture of the later layout, kMissingSpaceCaption otherwise.
const QString& NoSpaceCaption(bool laterLayout);

// Recognises one kind of a space's pages by what every such page carries.
using SpacePageTest = bool (*)(const QString& page);

// True for a space's blog page: it carries the category section ("文章分类" then "文章存档"),
// which every space shows, even one without an article.
bool IsSpaceBlogPage(const QString& page);

// True for a space's profile page: a message count that cuts as a number, or else its
// "个人档案" module.
bool IsSpaceProfilePage(const QString& page);

// True for a page of the service's comment search: its result tab "文章评论" and its search
// button "百度一下", between which the results stand.
bool IsCommentSearchPage(const QString& page);

// Fetches the page and judges it with isSpacePage. Without a replay prefix, an answer of the
// service itself that is not such a page, with success or "not found", means the space does
// not exist; other errors are unread. With a prefix, an error status is the archive's own
// answer and reads as unread, while a success that is not such a page (a "not archived"
// page answered 200) means the archive holds no such space. A success that is a page of the
// later layout (UTF-8, titled "…_百度空间", with style sheets from hi.bdimg.com/static/ or
// article addresses NAME/item/ + 24 hex digits) is NotTheSpace with laterLayout set.
SpacePageAnswer FetchSpacePage(const QString& address, SpacePageTest isSpacePage);
