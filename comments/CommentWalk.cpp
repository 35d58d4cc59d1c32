#include "comments/CommentWalk.h"

#include <QRegularExpression>

#include "app/modcut.h"

namespace {

// The article title of a result: <font size="3">Title</font></a><br>
const QString kTitleStart = QStringLiteral("size=\"3\">");
const QString kTitleEnd = QStringLiteral("</font></a><br>");
const QString kCommenter = QStringLiteral("评论者");
const QString kCommenterPart = QStringLiteral("评论者:");
// The name ends where the date begins: 评论者:NAME&nbsp;&nbsp;2008-06-01 21:00</font>
const QString kNameEnd = QStringLiteral("&nbsp;&nbsp;");
// The link around the title: <a href="ADDRESS" target=_blank><font size="3">
const QString kLinkStart = QStringLiteral("<a ");
const QString kHref = QStringLiteral("href=");
// Far longer than any date; what is looked at after the name stays small whatever follows.
constexpr int kMostDateCharacters = 40;

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
    if (const int title = section_.PositionOf(kTitleStart);
        title > 0 && (commenter == 0 || title < commenter)) {
        comment.link = TitleLink(title);
    }
    comment.date = CommentDate(nextCommenter);
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

QString CommentWalk::TitleLink(int title) const {
    // Only the text before the title is looked at, and the walk drops it after this comment.
    const QStringView before = section_.Rest().left(title - 1);
    const qsizetype open = before.lastIndexOf(kLinkStart);
    if (open < 0 || before.mid(open).contains(QStringLiteral("</a>"))) {
        return {};
    }
    const QStringView tag = before.mid(open, before.indexOf(QChar('>'), open) - open);
    const qsizetype href = tag.indexOf(kHref);
    if (href < 0) {
        return {};
    }
    QStringView value = tag.mid(href + kHref.size());
    const QChar quote = value.isEmpty() ? QChar() : value.front();
    if (quote == QChar('"') || quote == QChar('\'')) {
        value = value.mid(1);
        return value.left(value.indexOf(quote)).toString();
    }
    static const QRegularExpression valueEnd(QStringLiteral("[\\s>]"));
    const qsizetype end = value.indexOf(valueEnd);
    return (end < 0 ? value : value.left(end)).toString();
}

QString CommentWalk::CommentDate(int limit) const {
    const int part = section_.PositionOf(kCommenterPart);
    const int gap = part > 0 ? section_.PositionOf(kNameEnd, part) : 0;
    const int start = gap + kNameEnd.size();
    if (gap == 0 || (limit > 0 && start >= limit)) {
        return {};
    }
    QStringView text = section_.Rest().mid(start - 1, kMostDateCharacters);
    if (limit > 0) {
        text = text.left(limit - start);
    }
    text = text.left(text.indexOf(QChar('<')));
    static const QRegularExpression date(
        QStringLiteral("^(?:&nbsp;|\\s)*(\\d{4}-\\d{1,2}-\\d{1,2}(?: "
                       "\\d{1,2}:\\d{2}(?::\\d{2})?)?)(?:&nbsp;|\\s)*$"));
    return date.match(text.toString()).captured(1);
}
