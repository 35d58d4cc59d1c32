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

// Converts bytes in the named character set ("gb2312", "GBK", "GB18030", "utf-8", ...) to
// text; a byte sequence that is not valid there becomes U+FFFD. An empty or unknown name
// reads the bytes as code page 936, the service's own character set.
QString FromCharset(std::string_view bytes, const QString& charset);

// The character set a Content-Type header declares ("text/html; charset=utf-8" gives
// "utf-8"), or the empty text when it declares none.
QString CharsetOf(const std::string& contentType);

}  // namespace platform
