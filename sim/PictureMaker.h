#pragma once

#include <string>

namespace spacesim {

// The kinds of picture the picture host serves, by the extension of the address.
enum class PictureFormat { Jpeg, Png, Gif };

// The kind the address's path ends in: ".png" and ".gif" (in any case) name theirs, anything
// else is a JPEG, as the service's own pictures were.
PictureFormat PictureFormatOf(const std::string& path);

// The content type a host names for the kind.
const char* PictureContentType(PictureFormat format);

// The picture for the address, real bytes of its kind that a browser or image library shows: a
// pattern of coloured blocks, 160 by 120 pixels (80 by 56 for a thumbnail, an "/abpic/" address),
// drawn once at start in a few colourings, with the address written into it as a comment so
// that each address has bytes of its own, the same on every run.
std::string PictureBytes(const std::string& address, PictureFormat format);

}  // namespace spacesim
