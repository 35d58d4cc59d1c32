#include "sim/SearchPages.h"

#include "sim/Html.h"
#include "sim/SpaceStore.h"

#include <algorithm>

namespace spacesim {

namespace {

std::string SearchAddress(const Space& space, int pageNo) {
    return "/sys/search?pageno=" + std::to_string(pageNo) +
           "&type=9&sort=1&word=&entry=2&region=3&hi=" + space.name + "&date=";
}

std::string Link(const Space& space, int pageNo, const std::string& label) {
    return "<a href=\"" + SearchAddress(space, pageNo) + "\">" + label + "</a>";
}

std::string Number(int pageNo) {
    return "[" + std::to_string(pageNo + 1) + "]";
}

// A commenter with a space of their own is shown as a link to it, others as plain text.
std::string Commenter(const Comment& comment) {
    if (comment.authorSpace.empty()) {
        return EscapeHtml(comment.author);
    }
    return "<a href=\"http://hi.baidu.com/" + comment.authorSpace + "\" target=_blank class=sl>" +
           EscapeHtml(comment.author) + "</a>";
}

// Each result: the article title in a size 3 font, the comment text in a size -1 font, then
// "评论者:" with the commenter and the date after two &nbsp;.
std::string CommentEntries(const SpaceStore& store, const Space& space, int first, int count) {
    std::string html = "<div id=\"result\">";
    const int end = std::min(first + count, static_cast<int>(space.comments.size()));
    for (int i = first; i < end; ++i) {
        const Comment& comment = space.comments[static_cast<std::size_t>(i)];
        const ArticleRef ref = store.FindArticle(space, comment.articleId);
        html += "<p class=\"s_item\"><a href=\"http://hi.baidu.com/" + space.name + "/blog/item/" +
                comment.articleId + ".html\"><font size=\"3\">" + EscapeHtml(ref.article->title) +
                "</font></a><br><font size=-1>" + EscapeHtml(comment.text) +
                "<br><font color=#008000>评论者:" + Commenter(comment) + "&nbsp;&nbsp;" +
                EscapeHtml(comment.date) + "</font></font></p>\n";
    }
    return html + "</div>";
}

// Form Last: first, previous, numbers, next and last; the text between [下一页] and [尾页]
// carries the last page number. Form Next: numbers whose links end in ]</a>&nbsp;, then a
// next link. A single page: its number alone.
std::string SearchPagebar(const Space& space, int pageNo, int last) {
    std::string bar = "<div class=\"search_pagebar\">";
    if (last == 0) {
        return bar + Number(0) + "</div>";
    }
    if (space.commentPager == PagerForm::Last) {
        bar += pageNo == 0
                   ? "[首页]"
                   : Link(space, 0, "[首页]") + "&nbsp;" + Link(space, pageNo - 1, "[上一页]");
        for (int index = 0; index <= last; ++index) {
            bar += "&nbsp;";
            bar += index == pageNo ? Number(index) : Link(space, index, Number(index));
        }
        if (pageNo < last) {
            bar += "&nbsp;" + Link(space, pageNo + 1, "[下一页]") + "&nbsp;" +
                   Link(space, last, "[尾页]");
        }
        return bar + "</div>";
    }
    for (int index = 0; index <= last; ++index) {
        bar += (index == pageNo ? Number(index) : Link(space, index, Number(index))) + "&nbsp;";
    }
    if (pageNo < last) {
        bar += Link(space, pageNo + 1, "[下一页]");
    }
    return bar + "</div>";
}

}  // namespace

std::string CommentSearchPage(const SpaceStore& store, const Space* space, int pageNo) {
    std::string page = PageHead("百度空间 - 评论搜索");
    // The results stand between the search tab and the search box.
    page += "<div class=\"s_tab\">文章评论</div>";
    const int count = space == nullptr ? 0 : static_cast<int>(space->comments.size());
    const int last = count == 0 ? 0 : (count - 1) / space->commentsPerPage;
    if (count == 0 || pageNo < 0 || pageNo > last) {
        page += "<div class=\"noresult\">暂无评论</div>";
    } else {
        page +=
            CommentEntries(store, *space, pageNo * space->commentsPerPage, space->commentsPerPage);
        page += SearchPagebar(*space, pageNo, last);
    }
    page +=
        "<form action=\"/sys/search\"><input name=\"word\"><input type=\"submit\" "
        "value=\"百度一下\"></form>";
    page += PageFoot();
    return page;
}

}  // namespace spacesim
