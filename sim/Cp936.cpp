#include "sim/Cp936.h"

#include <iconv.h>
#include <cerrno>
#include <stdexcept>

namespace spacesim {

namespace {

// Owns one iconv descriptor so that every path out of a conversion closes it.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false at the first byte it cannot convert.
    bool Run(std::string_view& in, std::string& out) {
        char buffer[4096];
        while (!in.empty()) {
            auto* inPtr = const_cast<char*>(in.data());
            std::size_t inLeft = in.size();
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            in.remove_prefix(in.size() - inLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

// The length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

}  // namespace

std::string ToCp936(std::string_view utf8) {
    Converter converter("CP936", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!converter.Run(utf8, out)) {
        out += '?';
        const std::size_t skip = SequenceLength(static_cast<unsigned char>(utf8.front()));
        utf8.remove_prefix(skip < utf8.size() ? skip : utf8.size());
    }
    return out;
}

std::optional<std::string> FromCp936(std::string_view bytes) {
    Converter converter("UTF-8", "CP936");
    std::string out;
    if (!converter.Run(bytes, out)) {
        return std::nullopt;
    }
    return out;
}

}  // namespace spacesim
