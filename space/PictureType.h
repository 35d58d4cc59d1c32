#pragma once

#include <QString>
#include <optional>
#include <string_view>

// The kinds of picture a browser shows, as their first bytes tell them.
enum class PictureType { Jpeg, Png, Gif, Bmp, Webp };

// The first bytes PictureTypeOf needs to tell every kind.
inline constexpr std::size_t kPictureHeadBytes = 18;

// The kind of picture the bytes begin with, whatever type their answer named; nothing for
// anything else (a web page, a placeholder text, an empty or cut-off answer).
std::optional<PictureType> PictureTypeOf(std::string_view head);

// The file extension for the kind, with its dot: ".jpg", ".png", ".gif", ".bmp", ".webp".
QString PictureExtension(PictureType type);
