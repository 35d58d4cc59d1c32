#pragma once

#include "sim/SiteRouter.h"
#include "sim/SpaceData.h"

#include <optional>
#include <string>

namespace spacesim {

// The space's home page, in its home page character set (code page 936 as gb2312, or UTF-8)
// with that set named in the content type; it links the style sheet in its head as
// http://hi.baidu.com/NAME/css/item/SHEET.css, or links none when the space has no sheet.
Reply HomePageReply(const Space& space);

// The style sheet "SHEET.css" of the space as text/css in code page 936; nothing for any
// other file name.
std::optional<Reply> StyleSheetReply(const Space& space, const std::string& fileName);

}  // namespace spacesim
