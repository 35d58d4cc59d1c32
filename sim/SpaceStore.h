#pragma once

#include "sim/PictureHost.h"
#include "sim/SpaceData.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace spacesim {

// An article together with the category that lists it.
struct ArticleRef {
    const Category* category = nullptr;
    const Article* article = nullptr;
};

// The spaces the simulator serves, checked once so that every page keeps its markers intact.
class SpaceStore {
public:
    SpaceStore() = default;
    // A copy's index would point into the original; moving keeps every space where it was.
    SpaceStore(const SpaceStore&) = delete;
    SpaceStore& operator=(const SpaceStore&) = delete;
    SpaceStore(SpaceStore&&) = default;
    SpaceStore& operator=(SpaceStore&&) = default;

    // Reads every *.json file of the folder as one space. Throws std::runtime_error naming the
    // file when one cannot be read or breaks a rule that Add checks.
    static SpaceStore FromFolder(const std::filesystem::path& folder);

    // The folder of sample spaces that comes with the simulator's sources.
    static std::filesystem::path DefaultFolder();

    // Adds a space, replacing one of the same name. Throws std::runtime_error when a text
    // holds a word that the client's page cuts look for, or an id, slug or address is malformed.
    void Add(Space space);

    // The space of that name, or nullptr.
    const Space* Find(std::string_view name) const;

    // The article with that id in the space (one this store serves); both pointers are null
    // when there is none.
    ArticleRef FindArticle(const Space& space, std::string_view id) const;

    // The song whose address is "host/path" (no scheme), or nullptr.
    const Song* FindSong(std::string_view hostAndPath) const;

    // Whether any song of any space lives on this host.
    bool IsSongHost(std::string_view host) const;

    // The picture whose address is "host/path" (decoded, as a request arrives), or nullptr.
    const StoredPicture* FindPicture(std::string_view hostAndPath) const;

    // The space's pictures as its pages write them: those its articles show, its album's
    // photos and those it lists as not coming whole, each once, in that order.
    const std::vector<std::string>& PicturesOf(const Space& space) const;

    // Whether the archive captured the service's page at this path (a space may name pages it
    // never did).
    bool IsArchived(std::string_view path) const;

    // Every space, by name.
    const std::map<std::string, Space, std::less<>>& Spaces() const { return spaces_; }

private:
    // Articles by id, the first of the listing order when ids repeat; keys and values point
    // into the stored space.
    using ArticleIndex = std::unordered_map<std::string_view, ArticleRef>;

    static ArticleIndex IndexArticles(const Space& space);
    // Indexes the pictures of every space anew.
    void IndexPictures();

    std::map<std::string, Space, std::less<>> spaces_;
    std::map<std::string, ArticleIndex, std::less<>> articles_;
    std::map<std::string, Song, std::less<>> songs_;
    std::map<std::string, StoredPicture, std::less<>> pictures_;
    std::map<std::string, std::vector<std::string>, std::less<>> spacePictures_;
};

}  // namespace spacesim
