#pragma once

#include <QString>

#include "app/PageText.h"

// One comment of a search result page, as cut from it.
struct ArticleComment {
    QString title;  // the title of the article commented on
    QString text;
    QString commenter;  // without blanks
    // The address of the link around the title, as the page wrote it; empty without one.
    QString link;
    // The date after the commenter ("YYYY-MM-DD hh:mm", as the page wrote it); empty when
    // what stands there is no such date.
    QString date;
    bool movedOn = false;  // false when the section had no commenter to move past
};

// Walks the comments of one search result page's section (from "文章评论" to "百度一下").
class CommentWalk {
public:
    explicit CommentWalk(const QString& resultPage);

    // Cuts the comment at the front of the section, then drops the section up to the
    // commenter just taken; without a commenter the section stays as it was. A field that
    // would run into the next comment is empty.
    ArticleComment Next();

    // Whether another comment follows: whether an article title can still be cut.
    bool AnotherCommentFollows() const;

    // The text of the section that remains.
    QStringView Rest() const { return section_.Rest(); }

private:
    // The commenter's name, cut no further than `limit` (0: the end of the section).
    QString CommenterName(int limit) const;

    // The href of the link that the title at that position stands in, if it stands in one.
    QString TitleLink(int title) const;

    // The date after the commenter's name, cut no further than `limit`.
    QString CommentDate(int limit) const;

    PageText section_;
};
