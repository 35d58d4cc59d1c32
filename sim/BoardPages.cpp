#include "sim/BoardPages.h"

#include "sim/Html.h"

#include <algorithm>

namespace spacesim {

namespace {

std::string MessageEntry(const Space& space, int index) {
    const BoardMessage& message = space.board[static_cast<std::size_t>(index)];
    const std::string number = std::to_string(space.board.size() - static_cast<std::size_t>(index));
    const std::string author = EscapeHtml(message.author);
    return "<table class=\"cmt\"><tr><td width=\"5%\">" + number +
           "</td><td><div class=\"user\"><a href=\"#reply\" class=\"reply\" rename=\"" + author +
           "\" repid=\"" + std::to_string(index + 1) + "\">" + author +
           "</a></div><div class=\"date\">" + EscapeHtml(message.date) +
           "| <a href=\"#reply\">回复</a></div><div class=\"text\" name='cmtcontent'>" +
           EscapeHtml(message.text) + "</div></td></tr></table>\n";
}

}  // namespace

std::string BoardPage(const Space& space, int pageNo) {
    std::string page = PageHead(EscapeHtml(space.title) + " - 留言板");
    page += "<div id=\"header\"><h1>" + EscapeHtml(space.title) + "</h1></div><div id=\"board\">";
    const int count = static_cast<int>(space.board.size());
    const int first = pageNo * kBoardMessagesPerPage;
    const int end = std::min(first + kBoardMessagesPerPage, count);
    for (int i = first; i < end; ++i) {
        page += MessageEntry(space, i);
    }
    if (first >= end) {
        page += "<p>还没有留言。</p>";
    }
    page += "</div>";
    page += PageFoot();
    return page;
}

}  // namespace spacesim
