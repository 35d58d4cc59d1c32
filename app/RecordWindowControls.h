#pragma once

#include <QString>

namespace platform {
class EventPump;
class ReportList;
}  // namespace platform

// What the message-board and comment windows' runs read and write: the address box, the one
// list, the status label and the save button. The windows implement it over their controls
// and the CLI over plain values. Every text is read afresh at each use, since the user may
// change it while a run waits.
class RecordWindowControls {
public:
    virtual ~RecordWindowControls() = default;
    virtual QString Address() const = 0;              // txtblog
    virtual platform::ReportList& Records() = 0;      // LVboard or LVcritique
    virtual void SetStatus(const QString& text) = 0;  // lblmsg
    virtual void SetSaveEnabled(bool enabled) = 0;    // cmdsave
    virtual platform::EventPump& Pump() = 0;
    virtual QString AppFolder() const = 0;  // where the space folders are made

    // How many pages the last retrieval could not read. Its list is incomplete when any, and
    // a save of it must not replace an earlier file.
    int UnreadPages() const { return unreadPages_; }
    void SetUnreadPages(int count) { unreadPages_ = count; }

private:
    int unreadPages_ = 0;
};
