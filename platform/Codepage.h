#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

// Converts text to code page 936 bytes; a character the code page lacks becomes "?".
std::string ToAnsi(const QString& text);

// Converts code page 936 bytes to text; a byte sequence that is not valid becomes U+FFFD.
QString FromAnsi(std::string_view bytes);

// The number of bytes the text takes in code page 936.
int AnsiByteLength(const QString& text);

}  // namespace platform
