#include "sim/RequestTarget.h"

#include <charconv>

#include "sim/Cp936.h"

#include <cctype>

namespace spacesim {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Decode(std::string_view text, bool plusIsBlank) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        bytes += (plusIsBlank && c == '+') ? ' ' : c;
    }
    // The desktop program encodes in the Chinese code page; ASCII comes through unchanged.
    return FromCp936(bytes).value_or(bytes);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string WithoutPort(std::string_view host) {
    const std::size_t colon = host.find(':');
    return Lower(host.substr(0, colon));
}

bool IsLoopback(std::string_view host) {
    return host.empty() || host == "127.0.0.1" || host == "localhost";
}

}  // namespace

std::string RequestTarget::Param(const std::string& name) const {
    const auto found = params.find(name);
    return found == params.end() ? std::string() : found->second;
}

std::string RequestTarget::LogLine() const {
    std::string line = host + path;
    if (!query.empty()) {
        line += '?';
        line += query;
    }
    return line;
}

RequestTarget ParseTarget(std::string_view target, std::string_view hostHeader) {
    RequestTarget result;
    std::string_view rest = target;
    std::string host = WithoutPort(hostHeader);
    if (Lower(rest.substr(0, 7)) == "http://") {
        rest.remove_prefix(7);
        const std::size_t slash = rest.find_first_of("/?");
        host = WithoutPort(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    result.host = IsLoopback(host) ? std::string(kServiceHost) : host;

    const std::size_t mark = rest.find('?');
    if (mark != std::string_view::npos) {
        result.query = std::string(rest.substr(mark + 1));
        rest = rest.substr(0, mark);
    }
    // The desktop program builds some addresses as root + "/" + a path that starts with "/".
    const std::size_t firstNonSlash = rest.find_first_not_of('/');
    rest.remove_prefix(firstNonSlash == std::string_view::npos ? rest.size() : firstNonSlash);
    result.path = "/" + Decode(rest, false);

    std::string_view query = result.query;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        const std::string name = Decode(pair.substr(0, eq), true);
        const std::string value =
            eq == std::string_view::npos ? std::string() : Decode(pair.substr(eq + 1), true);
        result.params.emplace(name, value);
    }
    return result;
}

std::optional<int> PlainNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace spacesim
