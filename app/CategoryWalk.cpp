#include "app/CategoryWalk.h"

#include "app/modcut.h"

namespace {

// Each category entry of the blog page links to the category with this title.
const QString kCategoryTitle = QStringLiteral("查看该分类中所有文章");

}  // namespace

CategoryWalk::CategoryWalk(const QString& blogPage) {
    const QString section =
        CutBetween(blogPage, QStringLiteral("文章分类"), QStringLiteral("文章存档"));
    count_ = CountOccurrences(section, QStringLiteral("category"));
    section_ = PageText(section);
}

CategoryEntry CategoryWalk::Next() {
    CategoryEntry entry;
    entry.name = section_.Cut(kCategoryTitle + QStringLiteral("\">"), QStringLiteral("</a>"));
    entry.count = section_.Cut(kCategoryTitle, QStringLiteral(")"))
                      .remove(QStringLiteral("\">") + entry.name + QStringLiteral("</a>("));
    entry.link = section_.Cut(QStringLiteral("item\"><a href=\""), QStringLiteral("\" title"));
    section_.DropFront(section_.PositionOf(kCategoryTitle));
    return entry;
}
