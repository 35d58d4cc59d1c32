#include "sim/LaterLayoutPages.h"

#include "sim/Html.h"
#include "sim/RequestTarget.h"

namespace spacesim {

namespace {

constexpr const char* kLaterPageType = "text/html; charset=utf-8";
// The later layout's style sheets came from the service's static host, not from the space.
constexpr const char* kLaterSheet = "http://hi.bdimg.com/static/princess/css/space_home.css";

std::string HomeAddress(const Space& space) {
    return "http://" + std::string(kServiceHost) + "/" + space.name;
}

std::string ItemId(const Article& article) {
    return article.id + article.id.substr(0, 8);
}

std::string ItemAddress(const Space& space, const Article& article) {
    return HomeAddress(space) + "/item/" + ItemId(article);
}

std::string LaterPage(std::string_view escapedTitle, const std::string& body) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
           std::string(escapedTitle) + "_百度空间</title><link rel=\"stylesheet\" href=\"" +
           kLaterSheet + "\"></head><body><div class=\"mod-page-body\">" + body +
           "</div></body></html>";
}

std::string ItemBlock(const Space& space, const Article& article, bool whole) {
    std::string block = "<div class=\"mod-blogitem\"><a class=\"a-title\" href=\"" +
                        ItemAddress(space, article) + "\">" + EscapeHtml(article.title) +
                        "</a><div class=\"item-time\">" + EscapeHtml(article.date) + "</div>";
    if (whole) {
        block += "<div class=\"item-content\">" + article.content + "</div>";
    }
    return block + "</div>";
}

std::string HomePage(const Space& space) {
    std::string body = "<div class=\"mod-topspaceinfo\"><h1><a href=\"/" + space.name + "\">" +
                       EscapeHtml(space.title) + "</a></h1></div>";
    for (const Category& category : space.categories) {
        for (const Article& article : category.articles) {
            body += ItemBlock(space, article, false);
        }
    }
    return LaterPage(EscapeHtml(space.title), body);
}

const Article* FindItem(const Space& space, const std::string& item) {
    for (const Category& category : space.categories) {
        for (const Article& article : category.articles) {
            if (ItemId(article) == item) {
                return &article;
            }
        }
    }
    return nullptr;
}

}  // namespace

Reply LaterLayoutReply(const Space& space, const std::vector<std::string>& pieces) {
    if (pieces.size() == 1) {
        return {200, kLaterPageType, HomePage(space)};
    }
    if (pieces.size() == 3 && pieces[1] == "item") {
        if (const Article* article = FindItem(space, pieces[2])) {
            return {200, kLaterPageType,
                    LaterPage(EscapeHtml(article->title), ItemBlock(space, *article, true))};
        }
        return ErrorReply(404);
    }
    const std::string home = HomeAddress(space);
    return {302, kLaterPageType,
            "<html><body><a href=\"" + home + "\">" + home + "</a></body></html>",
            SongDelivery::Whole, home};
}

std::vector<std::string> LaterLayoutAddresses(const Space& space) {
    std::vector<std::string> addresses{HomeAddress(space)};
    for (const Category& category : space.categories) {
        for (const Article& article : category.articles) {
            addresses.push_back(ItemAddress(space, article));
        }
    }
    return addresses;
}

}  // namespace spacesim
