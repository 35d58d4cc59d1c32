#include "sim/PictureMaker.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace spacesim {

namespace {

constexpr int kColourings = 6;

struct Rgb {
    int r, g, b;
};

// A picture to draw: its size and the colour of each pixel.
struct Drawing {
    int width;
    int height;
    std::function<Rgb(int x, int y)> colour;
};

// Coloured blocks of 8 by 8 pixels, shaded across the picture, in one of the colourings.
Drawing BlockDrawing(int colouring, bool thumbnail) {
    static constexpr std::array<Rgb, kColourings> kBases = {{{200, 80, 60},
                                                             {60, 140, 200},
                                                             {90, 170, 80},
                                                             {220, 170, 40},
                                                             {150, 90, 190},
                                                             {40, 160, 160}}};
    const Rgb base = kBases[static_cast<std::size_t>(colouring)];
    const int width = thumbnail ? 80 : 160;
    const int height = thumbnail ? 56 : 120;
    return {width, height, [=](int x, int y) {
                // Few colours, so that a GIF's table holds them all.
                const int bx = x / 8;
                const int by = y / 8;
                const int shade = (bx * 7 + by * 11) % 4 * 16;
                return Rgb{std::min(255, base.r + shade),
                           std::min(255, base.g + (bx + by) % 2 * 30),
                           std::min(255, base.b + by % 4 * 12)};
            }};
}

void PutBig16(std::string& out, int value) {
    out += static_cast<char>(value >> 8 & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void PutBig32(std::string& out, std::uint32_t value) {
    PutBig16(out, static_cast<int>(value >> 16));
    PutBig16(out, static_cast<int>(value & 0xFFFF));
}

void PutLittle16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

// ---- JPEG: baseline, one table of ones, every block a flat colour (DC only).

// Writes entropy-coded bits, a 0 byte after every 0xFF as the format asks.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void Put(unsigned bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            byte_ = static_cast<unsigned char>(byte_ << 1 | (bits >> i & 1));
            if (++filled_ == 8) {
                Flush();
            }
        }
    }
    // Pads the last byte with ones.
    void Finish() {
        while (filled_ != 0) {
            Put(1, 1);
        }
    }

private:
    void Flush() {
        out_ += static_cast<char>(byte_);
        if (byte_ == 0xFF) {
            out_ += '\0';
        }
        byte_ = 0;
        filled_ = 0;
    }
    std::string& out_;
    unsigned char byte_ = 0;
    int filled_ = 0;
};

int Category(int value) {
    int magnitude = value < 0 ? -value : value;
    int bits = 0;
    while (magnitude > 0) {
        ++bits;
        magnitude >>= 1;
    }
    return bits;
}

// The DC coefficient of a flat 8 by 8 block of the sample value, quantized by 1.
int FlatDc(double sample) {
    return static_cast<int>(std::lround((sample - 128.0) * 8.0));
}

std::string JpegScan(const Drawing& drawing) {
    std::string data;
    BitWriter bits(data);
    std::array<int, 3> previous{0, 0, 0};
    for (int by = 0; by < drawing.height / 8; ++by) {
        for (int bx = 0; bx < drawing.width / 8; ++bx) {
            const Rgb c = drawing.colour(bx * 8, by * 8);
            const std::array<double, 3> samples = {
                0.299 * c.r + 0.587 * c.g + 0.114 * c.b,
                128 - 0.168736 * c.r - 0.331264 * c.g + 0.5 * c.b,
                128 + 0.5 * c.r - 0.418688 * c.g - 0.081312 * c.b};
            for (std::size_t component = 0; component < 3; ++component) {
                const int dc = std::clamp(FlatDc(samples[component]), -1024, 1016);
                const int difference = dc - previous[component];
                previous[component] = dc;
                const int category = Category(difference);
                // Every DC category has a code of four bits: its number.
                bits.Put(static_cast<unsigned>(category), 4);
                const int extra = difference < 0 ? difference - 1 : difference;
                bits.Put(static_cast<unsigned>(extra) & ((1u << category) - 1), category);
                // The end of the block: the one AC code, "0".
                bits.Put(0, 1);
            }
        }
    }
    bits.Finish();
    return data;
}

std::string JpegTables(const Drawing& drawing) {
    std::string out;
    out += "\xFF\xDB";  // one quantization table, all ones
    PutBig16(out, 67);
    out += '\0';
    out += std::string(64, '\x01');
    out += "\xFF\xC0";  // baseline frame: three components, no subsampling
    PutBig16(out, 17);
    out += '\x08';
    PutBig16(out, drawing.height);
    PutBig16(out, drawing.width);
    out += '\x03';
    for (char id : {'\x01', '\x02', '\x03'}) {
        out += id;
        out += '\x11';
        out += '\0';
    }
    out += "\xFF\xC4";  // DC table 0: categories 0 to 11 in four bits; AC table 0: end of block
    PutBig16(out, 2 + 1 + 16 + 12 + 1 + 16 + 1);
    out += '\0';
    std::string counts(16, '\0');
    counts[3] = 12;
    out += counts;
    for (char symbol = 0; symbol < 12; ++symbol) {
        out += symbol;
    }
    out += '\x10';
    counts.assign(16, '\0');
    counts[0] = 1;
    out += counts;
    out += '\0';
    out += "\xFF\xDA";
    PutBig16(out, 12);
    out += '\x03';
    for (char id : {'\x01', '\x02', '\x03'}) {
        out += id;
        out += '\0';
    }
    out += std::string("\x00\x3F\x00", 3);
    return out + JpegScan(drawing) + "\xFF\xD9";
}

// The start of a JPEG file with the comment.
std::string JpegHead(const std::string& comment) {
    std::string out("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    const std::string text = comment.substr(0, 60000);
    out += "\xFF\xFE";
    PutBig16(out, static_cast<int>(text.size()) + 2);
    out += text;
    return out;
}

// ---- PNG: truecolour, deflated with zlib.

std::string PngChunk(const char* type, const std::string& data) {
    std::string chunk;
    PutBig32(chunk, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    chunk += body;
    PutBig32(chunk, static_cast<std::uint32_t>(
                        crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
    return chunk;
}

// Everything after the comment: the pixels and the end.
std::string PngPixels(const Drawing& drawing) {
    std::string raw;
    for (int y = 0; y < drawing.height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < drawing.width; ++x) {
            const Rgb c = drawing.colour(x, y);
            raw += static_cast<char>(c.r);
            raw += static_cast<char>(c.g);
            raw += static_cast<char>(c.b);
        }
    }
    uLongf size = compressBound(raw.size());
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    packed.resize(size);
    return PngChunk("IDAT", packed) + PngChunk("IEND", "");
}

std::string PngHead(const Drawing& drawing) {
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(drawing.width));
    PutBig32(header, static_cast<std::uint32_t>(drawing.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header);
}

// ---- GIF: 128 colours, the codes kept at eight bits by a clear code every 126 pixels.

constexpr int kGifColours = 128;

std::string GifImage(const Drawing& drawing, std::vector<Rgb>& palette) {
    std::string codes;
    unsigned long buffer = 0;
    int filled = 0;
    const auto put = [&](int code) {
        buffer |= static_cast<unsigned long>(code) << filled;
        filled += 8;
        while (filled >= 8) {
            codes += static_cast<char>(buffer & 0xFF);
            buffer >>= 8;
            filled -= 8;
        }
    };
    constexpr int kClear = kGifColours;
    constexpr int kEnd = kGifColours + 1;
    int sinceClear = 0;
    for (int y = 0; y < drawing.height; ++y) {
        for (int x = 0; x < drawing.width; ++x) {
            if (sinceClear % 126 == 0) {
                put(kClear);
                sinceClear = 0;
            }
            const Rgb c = drawing.colour(x, y);
            auto found = std::find_if(palette.begin(), palette.end(), [&](const Rgb& p) {
                return p.r == c.r && p.g == c.g && p.b == c.b;
            });
            if (found == palette.end() && palette.size() < kGifColours) {
                found = palette.insert(palette.end(), c);
            }
            put(found == palette.end() ? 0 : static_cast<int>(found - palette.begin()));
            ++sinceClear;
        }
    }
    put(kEnd);
    std::string image("\x2C", 1);
    PutLittle16(image, 0);
    PutLittle16(image, 0);
    PutLittle16(image, drawing.width);
    PutLittle16(image, drawing.height);
    image += '\0';
    image += '\x07';  // the smallest code size: seven bits, for 128 colours
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::string block = codes.substr(at, 255);
        image += static_cast<char>(block.size());
        image += block;
    }
    image += '\0';
    return image + "\x3B";
}

std::string GifHead(const Drawing& drawing, const std::vector<Rgb>& palette) {
    std::string head("GIF89a");
    PutLittle16(head, drawing.width);
    PutLittle16(head, drawing.height);
    head += '\xF6';  // a global table of 128 colours of eight bits
    head += '\0';
    head += '\0';
    for (int i = 0; i < kGifColours; ++i) {
        const Rgb c = i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)]
                                                           : Rgb{0, 0, 0};
        head += static_cast<char>(c.r);
        head += static_cast<char>(c.g);
        head += static_cast<char>(c.b);
    }
    return head;
}

std::string GifComment(const std::string& comment) {
    std::string out("\x21\xFE", 2);
    for (std::size_t at = 0; at < comment.size(); at += 255) {
        const std::string block = comment.substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    return out + '\0';
}

// The bytes of one drawing in one kind, around the place where the comment goes.
struct Made {
    std::string before;
    std::string after;
};

Made MakeDrawing(PictureFormat format, const Drawing& drawing) {
    switch (format) {
        case PictureFormat::Png:
            return {PngHead(drawing), PngPixels(drawing)};
        case PictureFormat::Gif: {
            std::vector<Rgb> palette;
            std::string image = GifImage(drawing, palette);
            return {GifHead(drawing, palette), std::move(image)};
        }
        case PictureFormat::Jpeg:
            break;
    }
    return {{}, JpegTables(drawing)};
}

// Every kind in every colouring and both sizes, drawn once.
const Made& Drawn(PictureFormat format, int colouring, bool thumbnail) {
    static const std::vector<Made> made = [] {
        std::vector<Made> all;
        for (const PictureFormat kind :
             {PictureFormat::Jpeg, PictureFormat::Png, PictureFormat::Gif}) {
            for (int c = 0; c < kColourings; ++c) {
                for (const bool small : {false, true}) {
                    all.push_back(MakeDrawing(kind, BlockDrawing(c, small)));
                }
            }
        }
        return all;
    }();
    const auto index =
        (static_cast<std::size_t>(format) * kColourings + static_cast<std::size_t>(colouring)) * 2 +
        (thumbnail ? 1 : 0);
    return made[index];
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace

PictureFormat PictureFormatOf(const std::string& path) {
    if (EndsWithNoCase(path, ".png")) {
        return PictureFormat::Png;
    }
    if (EndsWithNoCase(path, ".gif")) {
        return PictureFormat::Gif;
    }
    return PictureFormat::Jpeg;
}

const char* PictureContentType(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png:
            return "image/png";
        case PictureFormat::Gif:
            return "image/gif";
        case PictureFormat::Jpeg:
            break;
    }
    return "image/jpeg";
}

std::string PictureBytes(const std::string& address, PictureFormat format) {
    // FNV-1a: the same colouring for the address on every run and machine.
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char c : address) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    const int colouring = static_cast<int>(hash % kColourings);
    const Made& made = Drawn(format, colouring, address.find("/abpic/") != std::string::npos);
    switch (format) {
        case PictureFormat::Png:
            return made.before + PngChunk("tEXt", "Comment" + std::string(1, '\0') + address) +
                   made.after;
        case PictureFormat::Gif:
            return made.before + GifComment(address) + made.after;
        case PictureFormat::Jpeg:
            break;
    }
    return JpegHead(address) + made.after;
}

}  // namespace spacesim
