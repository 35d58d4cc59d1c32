#include "space/PictureType.h"

#include <algorithm>
#include <array>

namespace {

bool StartsWith(std::string_view head, std::string_view magic) {
    return head.substr(0, magic.size()) == magic;
}

// "BM", then at 14 the length of the header that follows the file header: one of the lengths
// that the versions of the format have. "BM" alone begins many a text.
bool IsBitmap(std::string_view head) {
    if (!StartsWith(head, "BM") || head.size() < 18) {
        return false;
    }
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(head[at]); };
    const unsigned length = byte(14) | byte(15) << 8 | byte(16) << 16 | byte(17) << 24;
    static constexpr std::array<unsigned, 7> kLengths{12, 40, 52, 56, 64, 108, 124};
    return std::find(kLengths.begin(), kLengths.end(), length) != kLengths.end();
}

}  // namespace

std::optional<PictureType> PictureTypeOf(std::string_view head) {
    using namespace std::string_view_literals;
    if (StartsWith(head, "\xFF\xD8\xFF"sv)) {
        return PictureType::Jpeg;
    }
    if (StartsWith(head, "\x89PNG\r\n\x1A\n"sv)) {
        return PictureType::Png;
    }
    if (StartsWith(head, "GIF87a"sv) || StartsWith(head, "GIF89a"sv)) {
        return PictureType::Gif;
    }
    if (StartsWith(head, "RIFF"sv) && head.size() >= 12 && head.substr(8, 4) == "WEBP"sv) {
        return PictureType::Webp;
    }
    if (IsBitmap(head)) {
        return PictureType::Bmp;
    }
    return std::nullopt;
}

QString PictureExtension(PictureType type) {
    switch (type) {
        case PictureType::Png:
            return QStringLiteral(".png");
        case PictureType::Gif:
            return QStringLiteral(".gif");
        case PictureType::Bmp:
            return QStringLiteral(".bmp");
        case PictureType::Webp:
            return QStringLiteral(".webp");
        case PictureType::Jpeg:
            break;
    }
    return QStringLiteral(".jpg");
}
