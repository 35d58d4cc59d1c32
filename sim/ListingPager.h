#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

// The page bar of a category listing page `page` of 0..last, its links built on the
// category's address; empty when the category fits on one page. Form Last carries next and
// last-page links; form Next ends with a next link that directly follows the link to the
// last page, so the last index can be read from page 0 either way.
std::string ListingPager(const std::string& address, PagerForm form, int page, int last);

}  // namespace spacesim
