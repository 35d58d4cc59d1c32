#include "sim/SpaceGenerator.h"

#include <cstdint>
#include <cstdio>

namespace spacesim {

namespace {

constexpr int kCategories = 10;
constexpr const char* kCategoryNames[kCategories] = {
    "日记", "读书", "旅行", "音乐", "电影", "美食", "摄影", "工作", "杂谈", "随笔",
};

// 16 hex digits that differ for every (space, article) pair and never change between runs.
std::string ArticleId(const std::string& space, int index) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char c : space) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    hash = (hash ^ static_cast<std::uint64_t>(index)) * 1099511628211ULL;
    // The index in the low half keeps ids unique whatever the hash does.
    hash = (hash & 0xFFFFFFFF00000000ULL) | static_cast<std::uint32_t>(index);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string Date(int index) {
    char text[32];
    std::snprintf(text, sizeof text, "20%02d-%02d-%02d %02d:%02d", 5 + index / 336 % 5,
                  1 + index / 28 % 12, 1 + index % 28, 8 + index % 12, index * 7 % 60);
    return text;
}

}  // namespace

Space GenerateSpace(const std::string& name, int articles) {
    Space space;
    space.name = name;
    space.title = name + "的空间";
    space.perPage = 10;
    for (int c = 0; c < kCategories; ++c) {
        Category category;
        category.slug = "c" + std::to_string(c + 1);
        category.name = kCategoryNames[c];
        category.pager = c % 2 == 0 ? PagerForm::Last : PagerForm::Next;
        space.categories.push_back(std::move(category));
    }
    for (int i = 0; i < articles; ++i) {
        Category& category = space.categories[i % kCategories];
        const std::string number = std::to_string(i + 1);
        category.articles.push_back(
            {ArticleId(name, i), "第" + number + "篇：" + category.name + "笔记", Date(i),
             "<p>这是第" + number + "篇文章的内容。</p><p>Line two: " + number + "</p>"});
    }
    return space;
}

}  // namespace spacesim
