#pragma once

#include "sim/SiteRouter.h"
#include "sim/SpaceData.h"

#include <string>
#include <vector>

namespace spacesim {

// How a space that moved to the layout the service gave spaces from 2012 on answers the path
// split into its pieces (the first the space name): the home page ("/NAME") lists its
// articles as http://hi.baidu.com/NAME/item/ITEM, ITEM being 24 hex digits (the article's id
// followed by its first 8 digits), and each such page holds one article; both go out in
// UTF-8, are titled "…_百度空间" and take their style sheet from hi.bdimg.com/static/. Every
// other page of the space (blog, profile, playlist, board, the old article addresses) is sent
// to the home page with a 302, standing in for old addresses that led to the new pages.
Reply LaterLayoutReply(const Space& space, const std::vector<std::string>& pieces);

// The address of every page of the later layout, home page first, for archive files.
std::vector<std::string> LaterLayoutAddresses(const Space& space);

}  // namespace spacesim
