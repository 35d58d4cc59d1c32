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
    BoardMessage message;
    message.number = page_.Cut(kNumberStart, kNumberEnd);
    message.author = page_.Cut(kAuthorStart, kAuthorEnd);
    message.time = page_.Cut(kTimeStart, kTimeEnd);
    message.text = page_.Cut(kTextStart, kTextEnd);
    const int content = page_.PositionOf(kTextStart);
    page_.DropFront(content);
    message.movedOn = content > 0;
    return message;
}

bool MessageWalk::HoldsAMessage() const {
    return page_.Contains(kTextStart);
}

bool MessageWalk::AnotherMessageFollows() const {
    return page_.PositionOf(page_.Cut(kNumberStart, kNumberEnd)) != kNumberPositionPastTheEnd;
}
