#include "sim/PictureHost.h"

#include "sim/Cp936.h"
#include "sim/PictureMaker.h"
#include "sim/RequestTarget.h"

#include <algorithm>
#include <cctype>

namespace spacesim {

namespace {

constexpr const char* kPlaceholderType = "text/html; charset=utf-8";

// What an archive answers for a capture it only has its own page for.
std::string PlaceholderPage(const std::string& url) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Wayback Machine</title>"
           "</head><body><p>This picture is not available: " +
           url + "</p></body></html>";
}

}  // namespace

bool IsPictureHost(std::string_view host) {
    return std::any_of(std::begin(kPictureHosts), std::end(kPictureHosts),
                       [&](const char* known) { return host == known; });
}

std::string PhotoUrl(const Space& space, const std::string& id) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (const unsigned char byte : ToCp936(space.name)) {
        if (std::isalnum(byte) || byte == '-') {
            name += static_cast<char>(byte);
        } else {
            name += '%';
            name += kHex[byte >> 4];
            name += kHex[byte & 0x0F];
        }
    }
    return "http://hiphotos.baidu.com/" + name + "/pic/item/" + id + ".jpg";
}

std::vector<std::string> PictureUrlsIn(const std::string& markup) {
    std::vector<std::string> urls;
    for (std::size_t at = markup.find("http://"); at != std::string::npos;
         at = markup.find("http://", at + 1)) {
        const std::size_t end = std::min(markup.find_first_of("\"'<> \t\r\n", at), markup.size());
        const std::string url = markup.substr(at, end - at);
        if (IsPictureHost(ParseTarget(url, "").host) &&
            std::find(urls.begin(), urls.end(), url) == urls.end()) {
            urls.push_back(url);
        }
    }
    return urls;
}

Reply PictureReply(const StoredPicture* picture) {
    if (picture == nullptr || picture->delivery == PictureDelivery::Missing) {
        return ErrorReply(404);
    }
    if (picture->delivery == PictureDelivery::Page) {
        return {200, kPlaceholderType, PlaceholderPage(picture->url)};
    }
    const RequestTarget target = ParseTarget(picture->url, "");
    const PictureFormat format = PictureFormatOf(target.path);
    const bool mislabelled = picture->delivery == PictureDelivery::Mislabelled;
    return {200, mislabelled ? "text/html" : PictureContentType(format),
            PictureBytes(picture->url, format)};
}

}  // namespace spacesim
