#include "sim/StylePages.h"

#include "sim/Cp936.h"
#include "sim/Html.h"
#include "sim/RequestTarget.h"

namespace spacesim {

namespace {

std::string SheetAddress(const Space& space) {
    return "http://" + std::string(kServiceHost) + "/" + space.name + "/css/item/" +
           space.css.name + ".css";
}

}  // namespace

Reply HomePageReply(const Space& space) {
    const bool utf8 = space.css.homeCharset == "utf-8";
    const std::string charset = utf8 ? "utf-8" : "gb2312";
    std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset +
        "\"><title>" + EscapeHtml(space.title) + " - 百度空间</title>";
    if (!space.css.name.empty()) {
        page += "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + SheetAddress(space) + "\">";
    }
    page += "</head><body><div id=\"header\"><h1><a href=\"/" + space.name + "\">" +
            EscapeHtml(space.title) + "</a></h1></div><div id=\"menu\"><a href=\"/" + space.name +
            "/blog\">博客</a></div>";
    page += PageFoot();
    return {200, "text/html; charset=" + charset, utf8 ? page : ToCp936(page)};
}

std::optional<Reply> StyleSheetReply(const Space& space, const std::string& fileName) {
    if (space.css.name.empty() || fileName != space.css.name + ".css") {
        return std::nullopt;
    }
    return Reply{200, "text/css", ToCp936(space.css.text)};
}

}  // namespace spacesim
