#include "sim/SpaceStore.h"

#include "sim/RequestTarget.h"
#include "sim/SpaceFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <span>
#include <stdexcept>

namespace spacesim {

namespace {

// Songs are made as they go out, so they may be as large as long mixes were; the bound only
// catches a mistyped size.
constexpr std::size_t kMaxSongBytes = std::size_t{4} << 30;

// The "host/path" a request for the song arrives as. Addresses with Chinese characters stand
// in the file as UTF-8, which is also what a request's code page 936 escapes decode to.
std::string SongKey(const std::string& url) {
    const bool ascii = std::all_of(url.begin(), url.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        return url.substr(std::string_view("http://").size());
    }
    const RequestTarget target = ParseTarget(url, "");
    return target.host + target.path;
}

// Texts that the client's cuts search for; one inside data would move a cut.
constexpr std::array<std::string_view, 22> kMarkers{
    "category", "文章分类", "文章存档", "个人档案", "查看文章", "类别",
    "entry",    "</div>",   "key1=",    "+=\"",     "\"+\"",    "x++",
    "_blank",   "date\">",  "[首页]",   "[下一页]", "[尾页]",   "search_pagebar",
    "暂无评论", "留言(<b>", "</b>条",   "&date=",
};

// Texts that the message-board and comment cuts search for and that escaping leaves as they
// are; refused in what those pages show.
constexpr std::array<std::string_view, 5> kRecordMarkers{
    "rename=", "repid=", "cmtcontent", "评论者", "百度一下",
};

void Fail(const Space& space, const std::string& what) {
    throw std::runtime_error("space \"" + space.name + "\": " + what);
}

void CheckMarkers(const Space& space, std::string_view text, std::string_view where,
                  std::span<const std::string_view> markers) {
    for (const std::string_view marker : markers) {
        if (text.find(marker) != std::string_view::npos) {
            Fail(space, std::string(where) + " holds the page marker \"" + std::string(marker) +
                            "\": \"" + std::string(text) + "\"");
        }
    }
}

void CheckText(const Space& space, std::string_view text, std::string_view where) {
    CheckMarkers(space, text, where, kMarkers);
    CheckMarkers(space, text, where, kRecordMarkers);
}

// Space names and slugs are part of every address on a page; "index" and "category" inside
// one would be found by the client's cuts of those addresses.
bool IsAddressPiece(std::string_view text, bool asciiOnly) {
    return !text.empty() && text.find("index") == std::string_view::npos &&
           text.find("category") == std::string_view::npos &&
           std::all_of(text.begin(), text.end(), [asciiOnly](char c) {
               const auto byte = static_cast<unsigned char>(c);
               if (byte >= 0x80) {
                   return !asciiOnly;
               }
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
           });
}

bool IsArticleId(std::string_view id) {
    return id.size() == 16 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool IsPhotoId(std::string_view id) {
    return id.size() >= 24 && id.size() <= 40 && std::all_of(id.begin(), id.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

void CheckPictures(const Space& space) {
    for (const std::string& id : space.photos) {
        if (!IsPhotoId(id)) {
            Fail(space, "photo id \"" + id + "\" is not 24 to 40 hex digits");
        }
    }
    for (const PictureFault& picture : space.pictures) {
        if (picture.url.rfind("http://", 0) != 0 ||
            !IsPictureHost(ParseTarget(picture.url, "").host)) {
            Fail(space,
                 "picture \"" + picture.url + "\" needs a http:// address on a picture host");
        }
    }
}

// The space's pictures as its pages write them, each once: shown, photos, listed.
std::vector<std::string> SpacePictureUrls(const Space& space) {
    std::vector<std::string> urls;
    std::set<std::string> seen;
    const auto add = [&](const std::string& url) {
        if (seen.insert(url).second) {
            urls.push_back(url);
        }
    };
    for (const Category& category : space.categories) {
        for (const Article& article : category.articles) {
            for (const std::string& url : PictureUrlsIn(article.content)) {
                add(url);
            }
        }
    }
    for (const std::string& id : space.photos) {
        add(PhotoUrl(space, id));
    }
    for (const PictureFault& picture : space.pictures) {
        add(picture.url);
    }
    return urls;
}

std::string HostAndPath(const std::string& url) {
    const RequestTarget target = ParseTarget(url, "");
    return target.host + target.path;
}

void CheckArticles(const Space& space) {
    std::set<std::string_view> slugs;
    std::set<std::string_view> ids;
    for (const Category& category : space.categories) {
        if (!IsAddressPiece(category.slug, true) || !slugs.insert(category.slug).second) {
            Fail(space, "category slug \"" + category.slug + "\" is malformed or repeated");
        }
        // The article count is cut up to the first ")" after the name.
        if (category.name.empty() || category.name.find(')') != std::string::npos) {
            Fail(space, "category name \"" + category.name + "\" is empty or holds \")\"");
        }
        CheckText(space, category.name, "category name");
        for (const Article& article : category.articles) {
            if (!IsArticleId(article.id) || !ids.insert(article.id).second) {
                Fail(space, "article id \"" + article.id + "\" is malformed or repeated");
            }
            // The article page's title is cut up to the first "_" of the page.
            if (article.title.find('_') != std::string::npos) {
                Fail(space, "article title \"" + article.title + "\" holds \"_\"");
            }
            CheckText(space, article.title, "article title");
            CheckText(space, article.date, "article date");
            // The article page cuts its body and content up to these texts.
            for (const std::string_view marker : {"</div>", "类别", "查看文章"}) {
                if (article.content.find(marker) != std::string::npos) {
                    Fail(space, "the content of article " + article.id + " holds \"" +
                                    std::string(marker) + "\"");
                }
            }
        }
    }
}

}  // namespace

SpaceStore SpaceStore::FromFolder(const std::filesystem::path& folder) {
    SpaceStore store;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        throw std::runtime_error(folder.string() + ": " + error.message());
    }
    for (const auto& entry : it) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        Space space = ReadSpaceFile(entry.path());
        try {
            store.Add(std::move(space));
        } catch (const std::runtime_error& fault) {
            throw std::runtime_error(entry.path().string() + ": " + fault.what());
        }
    }
    return store;
}

std::filesystem::path SpaceStore::DefaultFolder() {
    return SPACESIM_DEFAULT_DATA;
}

void SpaceStore::Add(Space space) {
    if (!IsAddressPiece(space.name, false)) {
        Fail(space,
             "the name must be made of lower-case ASCII letters, digits, \"-\" or "
             "Chinese characters");
    }
    if (space.perPage < 1 || space.commentsPerPage < 1) {
        Fail(space, "perPage values must be at least 1");
    }
    CheckText(space, space.title, "title");
    CheckArticles(space);
    CheckPictures(space);
    for (const Song& song : space.songs) {
        // A playlist entry without an address: listed, nothing to serve.
        if (song.url.empty()) {
            continue;
        }
        const RequestTarget target = ParseTarget(song.url, "");
        const bool gone = song.delivery == SongDelivery::Missing;
        if (song.url.rfind("http://", 0) != 0 || target.host == kServiceHost ||
            (song.bytes == 0 && !gone) || song.bytes > kMaxSongBytes) {
            Fail(space, "song \"" + song.url + "\" needs a http:// address off " +
                            std::string(kServiceHost) + " and 1 to " +
                            std::to_string(kMaxSongBytes) + " bytes");
        }
        CheckText(space, song.title, "song title");
    }
    for (const BoardMessage& message : space.board) {
        for (const std::string* text : {&message.author, &message.date, &message.text}) {
            CheckText(space, *text, "board message");
        }
    }
    const ArticleIndex articles = IndexArticles(space);
    for (const Comment& comment : space.comments) {
        if (!articles.contains(comment.articleId)) {
            Fail(space, "comment on unknown article \"" + comment.articleId + "\"");
        }
        if (!comment.authorSpace.empty() && !IsAddressPiece(comment.authorSpace, false)) {
            Fail(space, "comment author space \"" + comment.authorSpace + "\" is malformed");
        }
        for (const std::string* text : {&comment.author, &comment.date, &comment.text}) {
            CheckText(space, *text, "comment");
        }
    }
    const std::string name = space.name;
    Space& stored = spaces_[name] = std::move(space);
    articles_[name] = IndexArticles(stored);
    songs_.clear();
    for (const auto& [spaceName, stored] : spaces_) {
        for (const Song& song : stored.songs) {
            if (song.url.empty()) {
                continue;
            }
            songs_[SongKey(song.url)] = song;
        }
    }
    IndexPictures();
}

void SpaceStore::IndexPictures() {
    pictures_.clear();
    spacePictures_.clear();
    for (const auto& [name, stored] : spaces_) {
        std::vector<std::string> urls = SpacePictureUrls(stored);
        for (const std::string& url : urls) {
            pictures_.try_emplace(HostAndPath(url), StoredPicture{url, PictureDelivery::Whole});
        }
        for (const PictureFault& picture : stored.pictures) {
            pictures_[HostAndPath(picture.url)] = {picture.url, picture.delivery};
        }
        spacePictures_[name] = std::move(urls);
    }
}

const StoredPicture* SpaceStore::FindPicture(std::string_view hostAndPath) const {
    const auto found = pictures_.find(hostAndPath);
    return found == pictures_.end() ? nullptr : &found->second;
}

const std::vector<std::string>& SpaceStore::PicturesOf(const Space& space) const {
    static const std::vector<std::string> none;
    const auto found = spacePictures_.find(space.name);
    return found == spacePictures_.end() ? none : found->second;
}

bool SpaceStore::IsArchived(std::string_view path) const {
    const std::string_view rest = path.substr(std::min<std::size_t>(1, path.size()));
    const Space* space = Find(rest.substr(0, rest.find('/')));
    return space == nullptr || std::find(space->notArchived.begin(), space->notArchived.end(),
                                         path) == space->notArchived.end();
}

const Space* SpaceStore::Find(std::string_view name) const {
    const auto found = spaces_.find(name);
    return found == spaces_.end() ? nullptr : &found->second;
}

SpaceStore::ArticleIndex SpaceStore::IndexArticles(const Space& space) {
    ArticleIndex index;
    for (const Category& category : space.categories) {
        for (const Article& article : category.articles) {
            index.try_emplace(article.id, ArticleRef{&category, &article});
        }
    }
    return index;
}

ArticleRef SpaceStore::FindArticle(const Space& space, std::string_view id) const {
    const auto articles = articles_.find(space.name);
    if (articles == articles_.end()) {
        return {};
    }
    const auto found = articles->second.find(id);
    return found == articles->second.end() ? ArticleRef{} : found->second;
}

const Song* SpaceStore::FindSong(std::string_view hostAndPath) const {
    const auto found = songs_.find(hostAndPath);
    return found == songs_.end() ? nullptr : &found->second;
}

bool SpaceStore::IsSongHost(std::string_view host) const {
    return std::any_of(songs_.begin(), songs_.end(), [&](const auto& entry) {
        const std::string_view key = entry.first;
        return key.substr(0, key.find('/')) == host;
    });
}

}  // namespace spacesim
