#include "app/CategoryWalk.h"

#include "app/modcut.h"

namespace {

// Each category entry of the blog page links to the category with this title.
const QString kCategoryTitle = QStringLiteral("查看该分类中所有文章");

}  // namespace

CategoryWalk::CategoryWalk(const QString& blogPage) {
    const QString section =
        CutBetween(blogPage, QStringLiteral("文章分类"), QStringLiteral("文章存档"));
    // Every category entry carries the link title once; the word "category" may also stand
    // in a category's name, which would count a category that is not there.
    count_ = CountOccurrences(section, kCategoryTitle);
    section_ = PageText(section);
}

CategoryEntry CategoryWalk::Next() {
    // A category's link stands before its title, its name and count between its title and the
    // next category's: no field runs further, however far away its end marker is.
    const int title = section_.PositionOf(kCategoryTitle);
    const int next = title > 0 ? section_.PositionOf(kCategoryTitle, title + 1) : 0;
    CategoryEntry entry;
    entry.name = section_.Cut(kCategoryTitle + QStringLiteral("\">"), QStringLiteral("</a>"), next);
    entry.count = section_.Cut(kCategoryTitle, QStringLiteral(")"), next)
                      .remove(QStringLiteral("\">") + entry.name + QStringLiteral("</a>("));
    entry.link =
        section_.Cut(QStringLiteral("item\"><a href=\""), QStringLiteral("\" title"), title);
    section_.DropFront(title);
    return entry;
}
