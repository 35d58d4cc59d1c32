#pragma once

#include <QString>

#include "app/PageText.h"

// One category as the category section of a blog page shows it.
struct CategoryEntry {
    QString name;   // "类别"
    QString count;  // "文章数": the article count as the page writes it
    QString link;   // the category's link address, a path under the service root
};

// Walks the category section of a blog page (from "文章分类" to "文章存档") one category at
// a time, as the survey and the catalogue both list it.
class CategoryWalk {
public:
    explicit CategoryWalk(const QString& blogPage);

    // How many categories the section counts: its occurrences of the link title
    // "查看该分类中所有文章", which every category entry carries once.
    int Count() const { return count_; }

    // Cuts the category at the front of the section, no field running into the next
    // category, then drops the section up to that category's title so that the next call
    // reads the next one.
    CategoryEntry Next();

    // The text of the section that remains.
    QStringView Rest() const { return section_.Rest(); }

private:
    PageText section_;
    int count_ = 0;
};
