#pragma once

#include <QString>
#include <optional>

// The address of the space's article that a comment's title links to, written as the
// catalogue writes the addresses of its articles (the space address + "/blog/item/" + id +
// ".html"), so that the comment finds its article by it. Nothing for any other link: an
// address on another host or of another space, a page that is no article, a relative or
// "javascript:" address, anything else a page could put there.
std::optional<QString> CommentedArticleAddress(const QString& link, const QString& spaceAddress);
