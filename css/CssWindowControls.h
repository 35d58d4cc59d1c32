#pragma once

#include <QString>

#include "app/ListedSpace.h"

namespace platform {
class EventPump;
}  // namespace platform

// What the fetch and the save read and write on the CSS window; frmstylegrab2 implements it
// over its controls and the CLI over plain values. Texts are read afresh at each use, since
// the user may change them while the fetch waits for the home page. The listed address is that
// of the last fetch: the sheet in the box belongs to that space, whatever the box says since.
class CssWindowControls : public ListedSpace {
public:
    virtual ~CssWindowControls() = default;
    virtual QString Address() const = 0;  // txtblog
    virtual QString CssText() const = 0;  // txtcss, its line breaks as CR LF
    virtual void SetCssText(const QString& text) = 0;
    virtual void SetSaveEnabled(bool enabled) = 0;  // cmdsave
    // A message box with only an OK button; returns once the user has closed it.
    virtual void ShowMessage(const QString& text, const QString& title) = 0;
    virtual platform::EventPump& Pump() = 0;
    virtual QString AppFolder() const = 0;  // where "csscode" and the space folders are made
    // Told when a save could not write the space's save record or reading copy.
    virtual void NotesUnwritten() {}
};
