#include "sim/SpaceFile.h"

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

Category ReadCategory(const json& object) {
    Category category{Text(object, "slug"), Text(object, "name"), ReadPager(object), {}};
    for (const json& item : object.value("articles", json::array())) {
        category.articles.push_back(
            {Text(item, "id"), Text(item, "title"), Text(item, "date"), Text(item, "content")});
    }
    return category;
}

Space ReadSpace(const json& root, std::string name) {
    Space space;
    space.name = std::move(name);
    space.title = Text(root, "title");
    space.perPage = root.value("perPage", 10);
    for (const json& item : root.value("categories", json::array())) {
        space.categories.push_back(ReadCategory(item));
    }
    for (const json& item : root.value("songs", json::array())) {
        space.songs.push_back(
            {Text(item, "title"), Text(item, "url"), item.value("bytes", std::size_t{0})});
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
