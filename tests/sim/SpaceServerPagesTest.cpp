// The sample pages read through the same cuts the desktop program makes.
#include "SimClient.h"

#include "sim/Html.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct CategoryRow {
    std::string name;
    std::string count;
    std::string address;
};

// The category list as the client reads it off the blog page.
std::vector<CategoryRow> ReadCategories(const std::string& blogPage) {
    std::string section = Cut(blogPage, "文章分类", "文章存档");
    const int n = Count(section, "category");
    std::vector<CategoryRow> rows;
    for (int i = 0; i < n; ++i) {
        CategoryRow row;
        row.name = Cut(section, "查看该分类中所有文章\">", "</a>");
        row.count = Cut(section, "查看该分类中所有文章", ")");
        const std::string noise = "\">" + row.name + "</a>(";
        for (std::size_t at; (at = row.count.find(noise)) != std::string::npos;) {
            row.count.erase(at, noise.size());
        }
        row.address = Cut(section, "item\"><a href=\"", "\" title");
        section = DropFront(section, Position(section, "查看该分类中所有文章"));
        rows.push_back(row);
    }
    return rows;
}

// The last listing-page index as the client reads it off a category's first page.
std::string LastPageIndex(const std::string& page, const std::string& address) {
    const bool next = Position(page, "[下一页]") > 0;
    const bool last = Position(page, "[尾页]") > 0;
    if (next && !last) {
        std::string fragment = Cut(page, "[首页]", address + "/index/1\">[下一页]");
        const std::string model = "]</a>&nbsp;<a href=\"/" + address + "/index/1";
        const std::size_t keep = model.size() + 10;
        if (fragment.size() > keep) {
            fragment = fragment.substr(fragment.size() - keep);
        }
        return Cut(fragment, "ndex/", "\">[");
    }
    if (next && last) {
        const std::size_t from = Position(page, "[下一页]");
        const std::string fragment = page.substr(from - 1, Position(page, "[尾页]") - from - 2);
        return fragment.substr(Position(fragment, "index") + 5);
    }
    return "0";
}

struct ListedArticle {
    std::string id;
    std::string title;
    std::string date;
};

// Walks a listing section `passes` times as the client does; `multiPage` picks the advance
// marker and where the title comes from.
std::vector<ListedArticle> WalkListing(std::string section, int passes, bool multiPage) {
    std::vector<ListedArticle> found;
    for (int i = 0; i < passes; ++i) {
        const std::string id = Cut(section, "+=\"", "\"+\"");
        if (!id.empty()) {
            found.push_back({id, multiPage ? Cut(section, "_blank\">", "</a></div>") : "",
                             Cut(section, "date\">", "</div")});
        }
        const std::string advance = multiPage ? "x++;document.getElementById" : "\"+\"";
        section = DropFront(section, Position(section, advance));
    }
    return found;
}

TEST_F(SampleSpacesTest, BlogPageListsEveryCategoryOnce) {
    const Fetched blog = Fetch(Origin(port_) + "/jiaoliao/blog");
    EXPECT_EQ(blog.status, 200);
    EXPECT_EQ(blog.contentType, "text/html; charset=gb2312");
    const std::string page = Utf8(blog.body);
    EXPECT_EQ(Cut(page, "key1=", "\""), "3");

    const std::string section = Cut(page, "文章分类", "文章存档");
    EXPECT_EQ(Count(section, "category"), 4);
    EXPECT_EQ(Count(section, "查看该分类中所有文章"), 4);
    const std::vector<CategoryRow> rows = ReadCategories(page);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, "生活随笔");
    EXPECT_EQ(rows[0].count, "8");
    EXPECT_EQ(rows[0].address, "/jiaoliao/blog/category/life");
    EXPECT_EQ(rows[1].count, "7");
    EXPECT_EQ(rows[2].count, "2");
    EXPECT_EQ(rows[3].name, "杂七杂八");
    EXPECT_EQ(rows[3].count, "0");
}

TEST_F(SampleSpacesTest, MissingSpaceGivesErrorPageWithoutCategorySection) {
    const Fetched blog = Fetch(Origin(port_) + "/nosuchwren/blog");
    EXPECT_EQ(blog.status, 404);
    const std::string page = Utf8(blog.body);
    EXPECT_FALSE(page.empty());
    EXPECT_EQ(Position(page, "文章分类"), 0u);
    EXPECT_EQ(Position(page, "文章存档"), 0u);
}

TEST_F(SampleSpacesTest, ListingPagesGiveEveryArticleOnceInOrder) {
    const spacesim::Space& space = *server_.Spaces().Find("jiaoliao");
    const std::vector<CategoryRow> rows = ReadCategories(Page("/jiaoliao/blog"));
    ASSERT_EQ(rows.size(), space.categories.size());
    const std::vector<std::string> lastIndex{"2", "2", "0", "0"};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE(rows[k].address);
        const spacesim::Category& category = space.categories[k];
        // The client asks for the first page as root + "/" + address, with two slashes.
        const std::string first = Page("/" + rows[k].address);
        EXPECT_EQ(LastPageIndex(first, rows[k].address), lastIndex[k]);

        std::vector<ListedArticle> listed;
        const int last = std::stoi(lastIndex[k]);
        for (int j = 0; j <= last; ++j) {
            const std::string path =
                last == 0 ? rows[k].address : rows[k].address + "/index/" + std::to_string(j);
            const auto walked = WalkListing(Cut(Page(path), "个人档案", "文章分类"), 3, last > 0);
            listed.insert(listed.end(), walked.begin(), walked.end());
        }
        ASSERT_EQ(listed.size(), category.articles.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(listed[i].id, category.articles[i].id);
            EXPECT_EQ(listed[i].date, category.articles[i].date);
            if (last > 0) {
                EXPECT_EQ(listed[i].title, spacesim::EscapeHtml(category.articles[i].title));
            }
        }
    }
}

TEST_F(SampleSpacesTest, ListingPageBeyondTheLastIsAnError) {
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/blog/category/life/index/3").status, 404);
    EXPECT_EQ(Fetch(Origin(port_) + "/jiaoliao/blog/category/nosuch").status, 404);
}

TEST_F(SampleSpacesTest, ArticlePagesGiveTitleCategoryDateAndContent) {
    const spacesim::Space& space = *server_.Spaces().Find("jiaoliao");
    for (const spacesim::Category& category : space.categories) {
        for (const spacesim::Article& article : category.articles) {
            SCOPED_TRACE(article.title);
            const std::string page = Page("/jiaoliao/blog/item/" + article.id + ".html");
            const std::size_t title = Position(page, "<title>") + 7;
            EXPECT_EQ(page.substr(title - 1, Position(page, "_") - title),
                      spacesim::EscapeHtml(article.title));
            EXPECT_EQ(Cut(page, "类别：", "<"), category.name);
            EXPECT_EQ(Cut(page, "date\">", "</div>"), article.date);
            EXPECT_EQ(Cut(page, "cnt\"  >", "</div>"), article.content);
            EXPECT_NE(Cut(page, "查看文章", "类别").find(article.content), std::string::npos);
        }
    }
}

TEST_F(SampleSpacesTest, TitlesAreEscapedAsTheServiceDid) {
    const std::string page = Page("/jiaoliao/blog/category/life/index/1");
    EXPECT_NE(page.find(">C:&#92;照片 整理完了</a>"), std::string::npos);
    EXPECT_NE(Page("/jiaoliao/blog/category/life").find(">Tom&#39;s 生日聚会</a>"),
              std::string::npos);
}

TEST_F(SampleSpacesTest, PlaylistNamesEverySongAndNoEntryWithoutSongs) {
    const std::string list = Page("/jiaoliao/music/music.pls");
    EXPECT_EQ(Count(list, "<entry>"), 3);
    EXPECT_EQ(Cut(list, "href=\"", "\" />"), "http://music.pagewren.test/songs/1.mp3");
    EXPECT_NE(list.find("http://music.pagewren.test/songs/3.mp3\" />"), std::string::npos);
    EXPECT_EQ(Position(Page("/quietwren/music/music.pls"), "entry"), 0u);
}

TEST_F(SampleSpacesTest, ProfileCountsBoardMessages) {
    EXPECT_EQ(Cut(Page("/jiaoliao/profile"), "留言(<b>", "</b>条"), "23");
    const std::string quiet = Page("/quietwren/profile");
    EXPECT_EQ(Position(quiet, "留言(<b>"), 0u);
    EXPECT_EQ(Position(quiet, "</b>条"), 0u);
}

std::string SearchPath(const std::string& space, int page) {
    return "/sys/search?pageno=" + std::to_string(page) +
           "&type=9&sort=1&word=&entry=2&region=3&hi=" + space + "&date=";
}

TEST_F(SampleSpacesTest, CommentSearchWithLastPageLinkNamesTheLastPage) {
    const std::string page = Page(SearchPath("jiaoliao", 0));
    ASSERT_NE(Position(page, "[尾页]"), 0u);
    EXPECT_EQ(Cut(Cut(page, "[下一页]", "[尾页]"), "pageno=", "&type"), "4");
    // The last page has nothing further to link to, and past it there is nothing at all.
    EXPECT_EQ(Position(Page(SearchPath("jiaoliao", 4)), "下一页"), 0u);
    EXPECT_NE(Position(Page(SearchPath("jiaoliao", 5)), "暂无评论"), 0u);
}

TEST_F(SampleSpacesTest, CommentSearchWithOnlyNextLinkNumbersItsPages) {
    const std::string page = Page(SearchPath("smallwren", 0));
    EXPECT_EQ(Position(page, "[尾页]"), 0u);
    std::string bar = Cut(page, "search_pagebar", "下一页");
    std::string lastNumber;
    while (Position(bar, "&date=\">[") > 0) {
        const std::string number = Cut(bar, "&date=\">[", "]</a>&nbsp;");
        bar = DropFront(bar, Position(bar, "&date=\">["));
        if (number.empty()) {
            break;
        }
        lastNumber = number;
    }
    EXPECT_EQ(lastNumber, "3");
}

TEST_F(SampleSpacesTest, CommentSearchOfSpaceWithoutCommentsSaysSo) {
    EXPECT_NE(Position(Page(SearchPath("quietwren", 0)), "暂无评论"), 0u);
    EXPECT_NE(Position(Page(SearchPath("nosuchwren", 0)), "暂无评论"), 0u);
    EXPECT_EQ(Position(Page(SearchPath("jiaoliao", 0)), "暂无评论"), 0u);
}

}  // namespace
