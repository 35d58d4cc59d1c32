#include "app/SpaceExistence.h"

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

}  // namespace

bool IsSpaceBlogPage(const QString& page) {
    return HasSection(page, QStringLiteral("文章分类"), QStringLiteral("文章存档"));
}

bool IsSpaceProfilePage(const QString& page) {
    return page.contains(QStringLiteral("个人档案"));
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
        return {SpacePageVerdict::NotTheSpace, {}};
    }
    return {SpacePageVerdict::Page, std::move(text)};
}
