#include "sim/SiteRouter.h"

#include "sim/BlogPages.h"
#include "sim/BoardPages.h"
#include "sim/Cp936.h"
#include "sim/ErrorPages.h"
#include "sim/LaterLayoutPages.h"
#include "sim/MusicPages.h"
#include "sim/PictureHost.h"
#include "sim/ProfilePages.h"
#include "sim/RequestTarget.h"
#include "sim/SearchPages.h"
#include "sim/SpaceStore.h"
#include "sim/StylePages.h"

#include <optional>
#include <vector>

namespace spacesim {

namespace {

Reply PageReply(const std::string& utf8Page) {
    return {200, kPageType, ToCp936(utf8Page)};
}

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            segments.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return segments;
}

const Category* FindCategory(const Space& space, const std::string& slug) {
    for (const Category& category : space.categories) {
        if (category.slug == slug) {
            return &category;
        }
    }
    return nullptr;
}

Reply SpaceReply(const SpaceStore& store, const Space& space, const std::vector<std::string>& s) {
    const std::size_t n = s.size();
    if (n == 1) {
        return HomePageReply(space);
    }
    if (n == 4 && s[1] == "css" && s[2] == "item") {
        if (auto sheet = StyleSheetReply(space, s[3])) {
            return *sheet;
        }
    }
    if (n == 2 && s[1] == "blog") {
        return PageReply(BlogPage(space));
    }
    if (n == 2 && s[1] == "profile") {
        return PageReply(ProfilePage(space));
    }
    if (n == 4 && s[1] == "board" && s[2] == "index") {
        if (const std::optional<int> page = PlainNumber(s[3])) {
            return PageReply(BoardPage(space, *page));
        }
    }
    // A space without songs has no playlist at all.
    if (n == 3 && s[1] == "music" && s[2] == "music.pls" && !space.songs.empty()) {
        return PageReply(Playlist(space));
    }
    if (n == 4 && s[1] == "blog" && s[2] == "item" && s[3].ends_with(".html")) {
        const ArticleRef ref = store.FindArticle(space, s[3].substr(0, s[3].size() - 5));
        if (ref.article != nullptr) {
            return PageReply(ArticlePage(space, *ref.category, *ref.article));
        }
    }
    if ((n == 4 || (n == 6 && s[4] == "index")) && s[1] == "blog" && s[2] == "category") {
        const Category* category = FindCategory(space, s[3]);
        const std::optional<int> page = n == 4 ? 0 : PlainNumber(s[5]);
        if (category != nullptr && page.has_value()) {
            if (auto html = CategoryPage(space, *category, *page)) {
                return PageReply(*html);
            }
        }
    }
    return ErrorReply(404);
}

Reply ClosedSpaceReply() {
    return {302, kPageType, ToCp936(ClosedSpacePage()), SongDelivery::Whole, kClosedSpaceLocation};
}

}  // namespace

Reply ErrorReply(int status) {
    return {status, kPageType, ToCp936(ErrorPage(status))};
}

Reply Route(const SpaceStore& store, const RequestTarget& target) {
    if (IsPictureHost(target.host)) {
        return PictureReply(store.FindPicture(target.host + target.path));
    }
    if (target.host != kServiceHost) {
        const Song* song = store.FindSong(target.host + target.path);
        if (song != nullptr && song->delivery != SongDelivery::Missing) {
            return {200, "audio/mpeg", {}, song->delivery, {}, song};
        }
        return ErrorReply(store.IsSongHost(target.host) ? 404 : 502);
    }
    if (target.path == "/sys/search") {
        const Space* space = store.Find(target.Param("hi"));
        if (space != nullptr && space->closed) {
            return ClosedSpaceReply();
        }
        return PageReply(
            CommentSearchPage(store, space, PlainNumber(target.Param("pageno")).value_or(-1)));
    }
    const std::vector<std::string> segments = Segments(target.path);
    if (segments.size() == 2 && segments[0] == "com" && segments[1] == "error") {
        return PageReply(ClosedSpacePage());
    }
    const Space* space = segments.empty() ? nullptr : store.Find(segments[0]);
    if (space != nullptr && space->closed) {
        return ClosedSpaceReply();
    }
    if (space != nullptr && space->laterLayout) {
        return LaterLayoutReply(*space, segments);
    }
    return space == nullptr ? ErrorReply(404) : SpaceReply(store, *space, segments);
}

}  // namespace spacesim
