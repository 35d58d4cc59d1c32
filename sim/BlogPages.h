#pragma once

#include "sim/SpaceData.h"

#include <optional>
#include <string>

namespace spacesim {

// The space's blog page (UTF-8): the per-page count for listings, then the category list
// between the texts 文章分类 and 文章存档, one "category" link per category.
std::string BlogPage(const Space& space);

// Listing page `page` of a category (UTF-8): the article entries between the sidebar
// headings 个人档案 and 文章分类, with the page bar. Nothing when the page does not exist.
std::optional<std::string> CategoryPage(const Space& space, const Category& category, int page);

// The page of one article (UTF-8) as the service laid it out: title, date, content and the
// line with its category and comment count.
std::string ArticlePage(const Space& space, const Category& category, const Article& article);

// The address of a category's first listing page, e.g. "/jiaoliao/blog/category/life".
std::string CategoryAddress(const Space& space, const Category& category);

}  // namespace spacesim
