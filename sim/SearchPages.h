#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

class SpaceStore;

// Page `pageNo` (from 0) of the service's comment search for a space (UTF-8): the comments of
// that page and a page bar after the text search_pagebar. A space without comments, an
// unknown space (nullptr) and a page past the last one give a page that says 暂无评论. The
// space is one of the store's, which finds the articles commented on.
std::string CommentSearchPage(const SpaceStore& store, const Space* space, int pageNo);

}  // namespace spacesim
