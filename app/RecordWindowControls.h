#pragma once

#include <QString>

#include "app/ListedSpace.h"

namespace platform {
class EventPump;
class ReportList;
}  // namespace platform

// What the message-board and comment windows' runs read and write: the address box, the one
// list, the status label and the save button. The windows implement it over their controls
// and the CLI over plain values. Every text is read afresh at each use, since the user may
// change it while a run waits.
class RecordWindowControls : public ListedSpace {
public:
    virtual ~RecordWindowControls() = default;
    virtual QString Address() const = 0;              // txtblog
    virtual platform::ReportList& Records() = 0;      // LVboard or LVcritique
    virtual void SetStatus(const QString& text) = 0;  // lblmsg
    virtual void SetSaveEnabled(bool enabled) = 0;    // cmdsave
    virtual platform::EventPump& Pump() = 0;
    virtual QString AppFolder() const = 0;  // where the space folders are made
    // Told that the save record or the reading copy could not be written; the window's own
    // texts stay as they are.
    virtual void NotesUnwritten() {}

    // What the last retrieval found, for the save that follows it.
    struct Retrieval {
        bool spaceMissing = false;  // the address names no space
        bool laterLayout = false;   // with spaceMissing: its pages are of the later layout
        int unreadPages = 0;  // any makes its list incomplete: no save may replace an earlier file
    };
    const Retrieval& LastRetrieval() const { return lastRetrieval_; }
    void SetLastRetrieval(const Retrieval& retrieval) { lastRetrieval_ = retrieval; }

private:
    Retrieval lastRetrieval_;
};
