#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <string>
#include <vector>

#include "platform/MemoryList.h"

// What a command shows: the lists it fills, printed when it ends, and its labels and message
// boxes, shown as they change so that a long run can be followed. With JSON every change is
// a {"label": NAME, "text": ...} or {"message": TEXT, "title": TITLE} line on standard output
// (the last line of a label is its final caption); without, changes go to standard error
// (rewritten in place on a terminal) and the final captions follow the lists.
class CliReport {
public:
    CliReport(bool json, bool terminal);

    // The list of that name, created empty; it lives as long as the report, so that what was
    // listed can be printed even when the run is stopped.
    platform::MemoryList& List(const QString& name);

    // A label's caption before the run changes it; shown only as the final caption.
    void InitLabel(const QString& name, const QString& text);

    // A label's caption changed by the run.
    void SetLabel(const QString& name, const QString& text);

    // A message box the run showed.
    void ShowMessage(const QString& text, const QString& title);

    // Whether a label ends on this text or a message box showed it.
    bool Shows(const QString& text) const;

    // What standard output gets at the end: the rows of every list, and without JSON the final
    // captions and the message boxes.
    std::string Finish();

private:
    struct Label {
        QString name;
        QString text;
        bool shown = false;
    };
    struct NamedList {
        QString name;
        platform::MemoryList rows;
    };

    Label& Find(const QString& name);
    void ShowProgress(const QString& text);
    std::string ListLines() const;

    bool json_;
    bool terminal_;
    bool progressLineOpen_ = false;
    std::deque<NamedList> lists_;
    std::vector<Label> labels_;
    std::vector<std::pair<QString, QString>> messages_;  // text, title
};
