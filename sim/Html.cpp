#include "sim/Html.h"

namespace spacesim {

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '\\':
                out += "&#92;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string PageHead(std::string_view escapedTitle) {
    std::string head =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        "<title>";
    head += escapedTitle;
    head += "</title></head><body>";
    return head;
}

std::string_view PageFoot() {
    return "</body></html>";
}

}  // namespace spacesim
