#include "sim/SpaceFile.h"

#include <cctype>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace spacesim {

namespace {

using nlohmann::json;

std::string Text(const json& object, const char* key) {
    return object.contains(key) ? object.at(key).get<std::string>() : std::string();
}

PagerForm ReadPager(const json& object) {
    const std::string form = object.contains("pager") ? Text(object, "pager") : "last";
    if (form == "last") {
        return PagerForm::Last;
    }
    if (form == "next") {
        return PagerForm::Next;
    }
    throw std::runtime_error("pager must be \"last\" or \"next\", not \"" + form + "\"");
}

SongDelivery ReadDelivery(const json& object) {
    const std::string form = object.contains("delivery") ? Text(object, "delivery") : "whole";
    if (form == "whole") {
        return SongDelivery::Whole;
    }
    if (form == "chunked") {
        return SongDelivery::Chunked;
    }
    if (form == "slow") {
        return SongDelivery::Slow;
    }
    if (form == "missing") {
        return SongDelivery::Missing;
    }
    throw std::runtime_error(
        "delivery must be \"whole\", \"chunked\", \"slow\" or \"missing\", not \"" + form + "\"");
}

Category ReadCategory(const json& object) {
    Category category{Text(object, "slug"), Text(object, "name"), ReadPager(object), {}};
    for (const json& item : object.value("articles", json::array())) {
        category.articles.push_back(
            {Text(item, "id"), Text(item, "title"), Text(item, "date"), Text(item, "content")});
    }
    return category;
}

PictureDelivery ReadPictureDelivery(const json& object) {
    const std::string form = object.contains("delivery") ? Text(object, "delivery") : "whole";
    if (form == "whole") {
        return PictureDelivery::Whole;
    }
    if (form == "missing") {
        return PictureDelivery::Missing;
    }
    if (form == "page") {
        return PictureDelivery::Page;
    }
    if (form == "mislabelled") {
        return PictureDelivery::Mislabelled;
    }
    throw std::runtime_error(
        "picture delivery must be \"whole\", \"missing\", \"page\" or \"mislabelled\", not \"" +
        form + "\"");
}

StyleSheet ReadStyleSheet(const json& object) {
    StyleSheet css{Text(object, "sheet"), Text(object, "text"),
                   object.value("homeCharset", "gb2312")};
    if (css.homeCharset != "gb2312" && css.homeCharset != "utf-8") {
        throw std::runtime_error("homeCharset must be \"gb2312\" or \"utf-8\"");
    }
    // The client cuts the name up to the first ".css" after the link.
    for (const char c : css.name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            throw std::runtime_error("css sheet \"" + css.name + "\" is not letters and digits");
        }
    }
    return css;
}

Space ReadSpace(const json& root, std::string name) {
    Space space;
    space.name = std::move(name);
    space.title = Text(root, "title");
    space.perPage = root.value("perPage", 10);
    space.closed = root.value("closed", false);
    space.laterLayout = root.value("laterLayout", false);
    space.notArchived = root.value("notArchived", std::vector<std::string>{});
    for (const json& item : root.value("categories", json::array())) {
        space.categories.push_back(ReadCategory(item));
    }
    for (const json& item : root.value("songs", json::array())) {
        space.songs.push_back({Text(item, "title"), Text(item, "url"),
                               item.value("bytes", std::size_t{0}), ReadDelivery(item)});
    }
    for (const json& item : root.value("board", json::array())) {
        space.board.push_back({Text(item, "author"), Text(item, "date"), Text(item, "text")});
    }
    if (root.contains("comments")) {
        const json& comments = root.at("comments");
        space.commentsPerPage = comments.value("perPage", 10);
        space.commentPager = ReadPager(comments);
        for (const json& item : comments.value("entries", json::array())) {
            space.comments.push_back({Text(item, "article"), Text(item, "author"),
                                      Text(item, "date"), Text(item, "text"),
                                      Text(item, "authorSpace")});
        }
    }
    space.photos = root.value("photos", std::vector<std::string>{});
    for (const json& item : root.value("pictures", json::array())) {
        space.pictures.push_back({Text(item, "url"), ReadPictureDelivery(item)});
    }
    if (root.contains("css")) {
        space.css = ReadStyleSheet(root.at("css"));
    }
    return space;
}

}  // namespace

Space ReadSpaceFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error(file.string() + ": cannot be opened");
    }
    try {
        return ReadSpace(json::parse(in), file.stem().string());
    } catch (const std::exception& error) {
        throw std::runtime_error(file.string() + ": " + error.what());
    }
}

}  // namespace spacesim
