#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

// The space's profile page (UTF-8); it names the number of board messages as 留言(<b>N</b>条)
// and leaves that line out when the board is empty.
std::string ProfilePage(const Space& space);

}  // namespace spacesim
