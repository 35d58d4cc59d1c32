#include "sim/ProfilePages.h"

#include "sim/Html.h"

namespace spacesim {

std::string ProfilePage(const Space& space) {
    std::string page = PageHead(EscapeHtml(space.title) + " - 个人档案");
    page += "<div id=\"header\"><h1>" + EscapeHtml(space.title) + "</h1></div>";
    page += "<div id=\"profile\"><div class=\"modhead\">个人档案</div><div class=\"modbox\">" +
            space.name + "</div>";
    if (!space.board.empty()) {
        page += "<div class=\"modbox\"><a href=\"/" + space.name + "/board\">留言(<b>" +
                std::to_string(space.board.size()) + "</b>条)</a></div>";
    }
    page += "</div>";
    page += PageFoot();
    return page;
}

}  // namespace spacesim
