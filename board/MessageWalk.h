#pragma once

#include <QString>

#include "app/PageText.h"

// One message of a board page, as cut from it.
struct BoardMessage {
    QString number;  // the board's own number of the message
    QString author;
    QString time;
    QString text;
};

// Walks the messages of one message-board page text.
class MessageWalk {
public:
    MessageWalk() = default;
    explicit MessageWalk(const QString& page) : page_(page) {}

    // Cuts the message at the front of the page text, then drops the text up to the
    // message's content; without a content marker the text stays as it was. The number,
    // author and time end before the message's content, and the text before the next
    // message's content, or they are empty: no field runs into another message.
    BoardMessage Next();

    // Whether a message remains to be taken: its content marker is still in the page text.
    bool HoldsAMessage() const;

    // Whether another message follows the one just taken: not when the number cut finds its
    // result at position 4, as it does past the last message.
    bool AnotherMessageFollows() const;

    // The page text that remains.
    QStringView Rest() const { return page_.Rest(); }

private:
    PageText page_;
};
