#pragma once

#include <string>
#include <string_view>

namespace spacesim {

// Escapes plain text for a page the way the service did: besides & < > and the double quote,
// the apostrophe becomes &#39; and the backslash &#92;.
std::string EscapeHtml(std::string_view text);

// The opening of every page up to and including <body>, declaring the gb2312 character set.
std::string PageHead(std::string_view escapedTitle);

// The closing of every page.
std::string_view PageFoot();

}  // namespace spacesim
