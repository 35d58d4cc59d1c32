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
    ArticleComment comment;
    comment.title = section_.Cut(kTitleStart, kTitleEnd);
    comment.text = section_.Cut(QStringLiteral("font size=-1>"), QStringLiteral("<br><font color"));
    comment.commenter = CommenterName();
    const int commenter = section_.PositionOf(kCommenter);
    section_.DropFront(commenter);
    comment.movedOn = commenter > 0;
    return comment;
}

bool CommentWalk::AnotherCommentFollows() const {
    return !section_.Cut(kTitleStart, kTitleEnd).isEmpty();
}

// The name from the commenter's link, or else the name given as plain text; no blanks.
QString CommentWalk::CommenterName() const {
    const QString part = section_.Cut(QStringLiteral("评论者:"), QStringLiteral("&nbsp;&nbsp"));
    QString name = CutBetween(part, QStringLiteral(" class=sl>"), QStringLiteral("</a>"));
    if (name.isEmpty()) {
        name = section_.Cut(QStringLiteral("评论者:"), QStringLiteral("&nbsp;&nbsp;"));
    }
    return name.remove(QChar(' '));
}
