#include "board/MessageWalk.h"

namespace {

// The cell holding the board's own number of a message: <td width="5%">23</td>
const QString kNumberStart = QStringLiteral("5%\">");
const QString kNumberEnd = QStringLiteral("</td>");
// The author's name travels as an attribute of the reply link: class="x" rename="Tom" repid="
const QString kAuthorStart = QStringLiteral("\" rename=\"");
const QString kAuthorEnd = QStringLiteral("\" repid=\"");
// The time stands before the reply link: class="date">2008-06-01 20:00| <a href
const QString kTimeStart = QStringLiteral("date\">");
const QString kTimeEnd = QStringLiteral("| <a href");
const QString kTextStart = QStringLiteral("name='cmtcontent'>");
const QString kTextEnd = QStringLiteral("</div>");
// Past the last message the number cut starts at the marker's length, position 4.
constexpr int kNumberPositionPastTheEnd = 4;

}  // namespace

BoardMessage MessageWalk::Next() {
    const int content = page_.PositionOf(kTextStart);
    const int nextContent = content > 0 ? page_.PositionOf(kTextStart, content + 1) : 0;
    BoardMessage message;
    message.number = page_.Cut(kNumberStart, kNumberEnd, content);
    message.author = page_.Cut(kAuthorStart, kAuthorEnd, content);
    message.time = page_.Cut(kTimeStart, kTimeEnd, content);
    message.text = page_.Cut(kTextStart, kTextEnd, nextContent);
    page_.DropFront(content);
    return message;
}

bool MessageWalk::HoldsAMessage() const {
    return page_.Contains(kTextStart);
}

bool MessageWalk::AnotherMessageFollows() const {
    // The number as the next step would cut it.
    const QString number = page_.Cut(kNumberStart, kNumberEnd, page_.PositionOf(kTextStart));
    return !page_.FirstFoundAt(number, kNumberPositionPastTheEnd);
}
