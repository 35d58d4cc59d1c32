#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace spacesim {

// How a page bar with several pages ends: with a last-page link, or with only a next link.
enum class PagerForm { Last, Next };

// One article; title and date are plain text, content is the markup of the article body.
struct Article {
    std::string id;  // 16 hex digits, the name of the article's page
    std::string title;
    std::string date;
    std::string content;
};

// One article category, its articles in listing order (newest first).
struct Category {
    std::string slug;  // ASCII, the last piece of the category's address
    std::string name;
    PagerForm pager = PagerForm::Last;
    std::vector<Article> articles;
};

// How a song host answers a song's address.
enum class SongDelivery {
    Whole,    // the bytes at once, with a Content-Length
    Chunked,  // the bytes in chunks, without a Content-Length
    Slow,     // the bytes, but only after about two seconds
    Missing,  // a 404 page: the song is listed but gone
};

// One background song; the song host answers its address with `bytes` bytes of audio.
struct Song {
    std::string title;
    std::string url;
    std::size_t bytes = 0;
    SongDelivery delivery = SongDelivery::Whole;
};

// How a picture host answers a picture's address.
enum class PictureDelivery {
    Whole,        // the picture, typed as its kind
    Missing,      // a 404 page: the picture is gone, and no archive holds it
    Page,         // a web page in its stead, as an archive answers a capture it lacks
    Mislabelled,  // the picture, typed "text/html"
};

// A picture that does not come whole, by its address as the article pages write it.
struct PictureFault {
    std::string url;
    PictureDelivery delivery = PictureDelivery::Whole;
};

// The hosts that serve pictures: the service's own and one other.
inline constexpr const char* kPictureHosts[] = {"hiphotos.baidu.com", "img.pagewren.test"};

// One message left on the space's message board.
struct BoardMessage {
    std::string author;
    std::string date;
    std::string text;
};

// One comment on an article, as the service's comment search lists it.
struct Comment {
    std::string articleId;
    std::string author;
    std::string date;
    std::string text;
    std::string authorSpace;  // the commenter's own space: the name is then shown as a link
};

// The space's CSS template and how its home page links it.
struct StyleSheet {
    std::string name;                    // the sheet's file name less ".css"; empty: no link
    std::string text;                    // the sheet as served, in code page 936
    std::string homeCharset = "gb2312";  // "gb2312" or "utf-8": how the home page goes out
};

// Everything the simulator knows about one space; texts are UTF-8.
struct Space {
    std::string name;   // the address piece after the host, e.g. "jiaoliao"
    std::string title;  // the heading shown on the space's pages
    int perPage = 10;   // article entries on each category listing page
    std::vector<Category> categories;
    std::vector<Song> songs;
    std::vector<BoardMessage> board;
    int commentsPerPage = 10;
    PagerForm commentPager = PagerForm::Last;
    std::vector<Comment> comments;
    StyleSheet css;
    bool closed = false;  // the service closed it: its pages send the reader to the error page
    // Served in the layout of 2012 on (see LaterLayoutPages.h).
    bool laterLayout = false;
    std::vector<std::string> notArchived;  // paths of its pages that the archive never captured
    // The ids of the album's photos, each at hiphotos.baidu.com/NAME/pic/item/ID.jpg; the
    // articles may show them or not. Every picture an article shows on a picture host is
    // served too, whole unless `pictures` says otherwise.
    std::vector<std::string> photos;
    std::vector<PictureFault> pictures;
};

}  // namespace spacesim
