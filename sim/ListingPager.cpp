#include "sim/ListingPager.h"

namespace spacesim {

namespace {

std::string Link(const std::string& address, int index, const std::string& label) {
    return "<a href=\"" + address + "/index/" + std::to_string(index) + "\">" + label + "</a>";
}

std::string Number(int index) {
    return "[" + std::to_string(index + 1) + "]";
}

}  // namespace

std::string ListingPager(const std::string& address, PagerForm form, int page, int last) {
    if (last <= 0) {
        return {};
    }
    std::string bar = "<div class=\"pagerbar\">" + Link(address, 0, "[首页]");
    if (page > 0) {
        bar += "&nbsp;" + Link(address, page - 1, "[上一页]");
    }
    for (int index = 0; index <= last; ++index) {
        bar += "&nbsp;";
        bar += index == page ? Number(index) : Link(address, index, Number(index));
    }
    if (page < last) {
        bar += "&nbsp;" + Link(address, page + 1, "[下一页]");
        if (form == PagerForm::Last) {
            bar += "&nbsp;" + Link(address, last, "[尾页]");
        }
    }
    return bar + "</div>";
}

}  // namespace spacesim
