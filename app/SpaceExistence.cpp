#include "app/SpaceExistence.h"

#include <QRegularExpression>
#include <algorithm>

#include "app/modcut.h"
#include "app/modgetdata.h"
#include "platform/Codepage.h"
#include "platform/Http.h"

namespace {

bool HasSection(const QString& page, const QString& start, const QString& end) {
    const qsizetype at = page.indexOf(start);
    return at >= 0 && page.indexOf(end, at + start.size()) >= 0;
}

// Statuses with which the service said that it had no such page.
bool IsNotFound(long status) {
    return status == 404 || status == 410;
}

// The signs of a page of the layout of 2012 on, read from its bytes: it is UTF-8 where the
// earlier pages were code page 936, its title still ends "_百度空间", and its style sheets and
// article addresses lie where no earlier page had them.
bool IsLaterLayoutPage(const std::string& body) {
    static const QRegularExpression title(QStringLiteral("<title>[^<]*_百度空间\\s*</title>"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression item(
        QStringLiteral("/[^/\\s\"'<>]+/item/[0-9a-f]{24}(?![0-9a-f])"));
    const QString page = QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()));
    return title.match(page).hasMatch() &&
           (page.contains(QStringLiteral("hi.bdimg.com/static/")) || item.match(page).hasMatch());
}

// Whether the page holds the board's message count as a number: 留言(<b>123</b>条
bool HoldsMessageCount(const QString& page) {
    const QString start = QStringLiteral("留言(<b>");
    const QString count = CutBetween(page, start, QStringLiteral("</b>条"));
    return page.contains(start) && !count.isEmpty() &&
           std::all_of(count.begin(), count.end(),
                       [](QChar c) { return c >= QChar('0') && c <= QChar('9'); });
}

}  // namespace

const QString& NoSpaceCaption(bool laterLayout) {
    return laterLayout ? kLaterLayoutCaption : kMissingSpaceCaption;
}

bool IsSpaceBlogPage(const QString& page) {
    return HasSection(page, QStringLiteral("文章分类"), QStringLiteral("文章存档"));
}

bool IsSpaceProfilePage(const QString& page) {
    // A message count that was read proves the page whatever else it lacks.
    return HoldsMessageCount(page) || page.contains(QStringLiteral("个人档案"));
}

bool IsCommentSearchPage(const QString& page) {
    return HasSection(page, QStringLiteral("文章评论"), QStringLiteral("百度一下"));
}

SpacePageAnswer FetchSpacePage(const QString& address, SpacePageTest isSpacePage) {
    const auto response = platform::HttpGetResponse(AddressOnTheWire(address));
    if (!response || response->body.empty()) {
        return {};
    }
    const bool archived = !platform::ReplayPrefix().empty();
    if (response->IsError() && (archived || !IsNotFound(response->status))) {
        return {};
    }
    QString text = platform::FromAnsi(response->body);
    if (response->IsError() || !isSpacePage(text)) {
        return {SpacePageVerdict::NotTheSpace,
                {},
                !response->IsError() && IsLaterLayoutPage(response->body)};
    }
    return {SpacePageVerdict::Page, std::move(text)};
}
