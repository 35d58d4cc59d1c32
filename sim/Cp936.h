#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spacesim {

// Converts UTF-8 text to code page 936 bytes; a character the code page lacks, or a byte
// that is not UTF-8, becomes "?".
std::string ToCp936(std::string_view utf8);

// Converts code page 936 bytes to UTF-8; returns nothing when the bytes are not valid there.
std::optional<std::string> FromCp936(std::string_view bytes);

}  // namespace spacesim
