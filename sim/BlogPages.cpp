#include "sim/BlogPages.h"

#include "sim/Html.h"
#include "sim/ListingPager.h"

#include <algorithm>

namespace spacesim {

namespace {

std::string Header(const Space& space) {
    return "<div id=\"header\"><h1><a href=\"/" + space.name + "\">" + EscapeHtml(space.title) +
           "</a></h1></div>";
}

// The sidebar list whose entries the client counts and cuts; kept free of class names that
// would add to its count of "category".
std::string CategoryList(const Space& space) {
    std::string list = "<div class=\"modhead\">文章分类</div><div class=\"modbox\">";
    for (const Category& category : space.categories) {
        list += "<div class=\"item\"><a href=\"" + CategoryAddress(space, category) +
                "\" title=\"查看该分类中所有文章\">" + EscapeHtml(category.name) + "</a>(" +
                std::to_string(category.articles.size()) + ")</div>";
    }
    return list + "</div><div class=\"modhead\">文章存档</div>";
}

std::string ItemAddress(const Space& space, const Article& article) {
    return "/" + space.name + "/blog/item/" + article.id + ".html";
}

std::string ListingEntry(const Space& space, const Article& article) {
    return "<div class=\"tit\"><a href=\"" + ItemAddress(space, article) + "\" target=\"_blank\">" +
           EscapeHtml(article.title) + "</a></div><div class=\"date\">" + EscapeHtml(article.date) +
           "</div><script>var art_id=\"\";art_id+=\"" + article.id +
           "\"+\".html\";x++;document.getElementById(\"art\"+x).innerHTML=art_id;</script>\n";
}

int CommentCount(const Space& space, const Article& article) {
    return static_cast<int>(
        std::count_if(space.comments.begin(), space.comments.end(),
                      [&](const Comment& c) { return c.articleId == article.id; }));
}

}  // namespace

std::string CategoryAddress(const Space& space, const Category& category) {
    return "/" + space.name + "/blog/category/" + category.slug;
}

std::string BlogPage(const Space& space) {
    std::string page = PageHead(EscapeHtml(space.title) + " - 百度空间");
    page += "<script>var pagerParam=\"key1=" + std::to_string(space.perPage) + "\";</script>";
    page += Header(space);
    page += "<div id=\"sidebar\">" + CategoryList(space) + "</div>";
    page += PageFoot();
    return page;
}

std::optional<std::string> CategoryPage(const Space& space, const Category& category, int page) {
    const int count = static_cast<int>(category.articles.size());
    const int last = count == 0 ? 0 : (count - 1) / space.perPage;
    if (page < 0 || page > last) {
        return std::nullopt;
    }
    std::string html = PageHead(EscapeHtml(category.name) + " - " + EscapeHtml(space.title));
    html += Header(space);
    html += "<div id=\"owner\"><div class=\"modhead\">个人档案</div><div class=\"modbox\">" +
            space.name + "</div></div>";
    html += "<div id=\"list\"><div class=\"listhead\">" + EscapeHtml(category.name) + "</div>\n";
    const int first = page * space.perPage;
    for (int i = first; i < std::min(count, first + space.perPage); ++i) {
        html += ListingEntry(space, category.articles[static_cast<std::size_t>(i)]);
    }
    html += ListingPager(CategoryAddress(space, category), category.pager, page, last);
    html += "</div><div id=\"sidebar\">" + CategoryList(space) + "</div>";
    html += PageFoot();
    return html;
}

std::string ArticlePage(const Space& space, const Category& category, const Article& article) {
    const std::string title = EscapeHtml(article.title);
    // Every "_" before the title's own would cut the client's title short.
    std::string page = PageHead(title + "_百度空间");
    page += "<div id=\"m_blog\"><div class=\"tit\">查看文章</div><div class=\"tit2\">" + title +
            "</div><div class=\"date\">" + EscapeHtml(article.date) + "</div>";
    // The two blanks before ">" are part of the marker the client cuts the content after.
    page += "<table><tr><td><div id=\"blog_text\" class=\"cnt\"  >" + article.content +
            "</div></td></tr></table>";
    page += "<div class=\"opt\">类别：" + EscapeHtml(category.name) + "<span>|</span><a href=\"" +
            ItemAddress(space, article) + "#comment\">评论(" +
            std::to_string(CommentCount(space, article)) + ")</a></div></div>";
    page += PageFoot();
    return page;
}

}  // namespace spacesim
