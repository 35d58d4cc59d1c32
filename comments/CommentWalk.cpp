#include "comments/CommentWalk.h"

#include "app/modcut.h"

namespace {

// The article title of a result: <font size="3">Title</font></a><br>
const QString kTitleStart = QStringLiteral("size=\"3\">");
const QString kTitleEnd = QStringLiteral("</font></a><br>");
const QString kCommenter = QStringLiteral("评论者");

}  // namespace

CommentWalk::CommentWalk(const QString& resultPage)
    : section_(CutBetween(resultPage, QStringLiteral("文章评论"), QStringLiteral("百度一下"))) {}

ArticleComment CommentWalk::Next() {
    // The title and the text stand before the comment's commenter, the commenter before the
    // next comment's: no field runs into another comment.
    const int commenter = section_.PositionOf(kCommenter);
    const int nextCommenter = commenter > 0 ? section_.PositionOf(kCommenter, commenter + 1) : 0;
    ArticleComment comment;
    comment.title = section_.Cut(kTitleStart, kTitleEnd, commenter);
    comment.text =
        section_.Cut(QStringLiteral("font size=-1>"), QStringLiteral("<br><font color"), commenter);
    comment.commenter = CommenterName(nextCommenter);
    section_.DropFront(commenter);
    comment.movedOn = commenter > 0;
    return comment;
}

bool CommentWalk::AnotherCommentFollows() const {
    return !section_.Cut(kTitleStart, kTitleEnd, section_.PositionOf(kCommenter)).isEmpty();
}

// The name from the commenter's link, or else the name given as plain text; no blanks.
QString CommentWalk::CommenterName(int limit) const {
    const QString part =
        section_.Cut(QStringLiteral("评论者:"), QStringLiteral("&nbsp;&nbsp"), limit);
    QString name = CutBetween(part, QStringLiteral(" class=sl>"), QStringLiteral("</a>"));
    if (name.isEmpty()) {
        name = section_.Cut(QStringLiteral("评论者:"), QStringLiteral("&nbsp;&nbsp;"), limit);
    }
    return name.remove(QChar(' '));
}
