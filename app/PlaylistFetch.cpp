#include "app/PlaylistFetch.h"

#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modgetdata.h"
#include "platform/Codepage.h"
#include "platform/Http.h"

std::optional<QString> FetchPlaylist(const QString& spaceAddress) {
    const auto response = platform::HttpGetResponse(
        AddressOnTheWire(SpacePageAddress(spaceAddress, QStringLiteral("/music/music.pls"))));
    if (!response) {
        return std::nullopt;
    }
    // Only the service itself saying "not found" means a space without songs; anything else
    // that is not a success (a server error, a redirect that led nowhere, any error of an
    // archive) leaves the songs unknown.
    const bool archived = !platform::ReplayPrefix().empty();
    const bool notFound = response->status == 404 || response->status == 410;
    if (response->IsError() && (archived || !notFound)) {
        return std::nullopt;
    }
    return platform::FromAnsi(response->body);
}

bool IsPlaylist(const QString& text) {
    return text.contains(QStringLiteral("Version="));
}

NoPlaylist JudgeNoPlaylist(const QString& spaceAddress, const QString& answer) {
    return JudgeNoPlaylist(
        FetchSpacePage(SpacePageAddress(spaceAddress, QStringLiteral("/blog")), &IsSpaceBlogPage),
        answer);
}

NoPlaylist JudgeNoPlaylist(const SpacePageAnswer& blog, const QString& answer) {
    if (blog.verdict == SpacePageVerdict::NotTheSpace) {
        return blog.laterLayout ? NoPlaylist::LaterLayout : NoPlaylist::MissingSpace;
    }
    const bool archived = !platform::ReplayPrefix().empty();
    return archived && !answer.isEmpty() ? NoPlaylist::Unread : NoPlaylist::SpaceWithoutSongs;
}
