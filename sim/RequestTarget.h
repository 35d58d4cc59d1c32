#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace spacesim {

// The host every blog page is asked for; requests sent straight to the simulator get it too.
inline constexpr std::string_view kServiceHost = "hi.baidu.com";

// A request target reduced to what routing needs; path and parameter values are UTF-8.
struct RequestTarget {
    std::string host;   // lower case, without port
    std::string path;   // percent-decoded, a leading run of slashes collapsed to one
    std::string query;  // as sent, without the "?"
    std::map<std::string, std::string> params;  // decoded query parameters (first of each name)

    // The parameter's value, empty when the query lacks it.
    std::string Param(const std::string& name) const;

    // "host/path" with "?query" when there is one: the form the request log keeps.
    std::string LogLine() const;
};

// A whole number of at least zero written in plain decimal digits; nothing for anything else.
std::optional<int> PlainNumber(std::string_view text);

// Reads an origin-form ("/x/blog") or absolute-form ("http://host/x/blog") target. Origin
// form, a Host header naming the loopback or no Host header at all mean the blog service.
// Percent-encoded bytes are read as code page 936 and kept as they are when they are not
// valid there. Never fails.
RequestTarget ParseTarget(std::string_view target, std::string_view hostHeader);

}  // namespace spacesim
