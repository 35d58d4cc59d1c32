#pragma once

#include <QString>
#include <utility>
#include <vector>

// The first line of the configuration a Hugo export writes, by which a later export knows the
// folder as one it may replace.
extern const QString kHugoExportMark;

// The files of a Hugo site that hold no content of the space, by their paths in the site
// folder: the layouts (a page for an article with its comments, lists for the home page, the
// posts and the categories, pages for the board, the songs and the comments that name no
// article) and the site's own style sheet. Hugo builds the site with them alone, no theme.
std::vector<std::pair<QString, QString>> HugoLayoutFiles();
