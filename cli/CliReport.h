#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace platform {
class MemoryList;
}

// What a command leaves in the controls it fills: list rows and label captions, in order.
class CliReport {
public:
    void AddList(const QString& name, const platform::MemoryList& list);
    void AddLabel(const QString& name, const QString& text);
    void AddMessage(const QString& text, const QString& title);

    // JSON Lines: {"list": NAME, "row": [...]} per row, then {"label": NAME, "text": ...},
    // then {"message": TEXT, "title": TITLE} per message box in the order shown.
    std::string ToJsonLines() const;

    // A readable table per list, one "NAME: text" line per label, then one
    // "message (TITLE): TEXT" line per message box.
    std::string ToText() const;

private:
    struct List {
        QString name;
        std::vector<QStringList> rows;
    };
    std::vector<List> lists_;
    std::vector<std::pair<QString, QString>> labels_;
    std::vector<std::pair<QString, QString>> messages_;  // text, title
};
