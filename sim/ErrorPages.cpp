#include "sim/ErrorPages.h"

#include "sim/Html.h"

namespace spacesim {

std::string ErrorPage(int status) {
    const char* text = status == 404   ? "抱歉，您访问的页面不存在。"
                       : status == 502 ? "无法连接到该主机。"
                                       : "服务器内部错误，请稍后再试。";
    return PageHead("百度空间 - 出错了") + "<div class=\"error\"><p>" + text + "</p></div>" +
           std::string(PageFoot());
}

std::string ClosedSpacePage() {
    return PageHead("百度空间 - 提示") +
           "<div class=\"error\"><p>抱歉，该空间已关闭或不存在。</p></div>" +
           std::string(PageFoot());
}

}  // namespace spacesim
