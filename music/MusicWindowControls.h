#pragma once

#include <QString>

#include "app/ListedSpace.h"
#include "platform/ReportList.h"

namespace platform {
class EventPump;
}  // namespace platform

// What the playlist retrieval and the song download read and write on the music window;
// frmmusic implements it over its controls and the CLI over plain values. Every text is read
// afresh at each use, since the user may change it while a run waits.
class MusicWindowControls : public ListedSpace {
public:
    virtual ~MusicWindowControls() = default;
    virtual QString Address() const = 0;  // txtblog
    virtual void SetAddress(const QString& address) = 0;
    virtual platform::ReportList& Songs() = 0;                    // LVmusic
    virtual void SetDownloadEnabled(bool enabled) = 0;            // cmdget
    virtual void SetSongStatus(const QString& caption) = 0;       // Label2
    virtual void SetProgressCaption(const QString& caption) = 0;  // Label1
    // ProgressBar1, whose maximum and value are single-precision numbers kept between songs.
    virtual float ProgressMax() const = 0;
    virtual void SetProgressMax(float max) = 0;
    virtual float ProgressValue() const = 0;
    virtual void SetProgressValue(float value) = 0;
    virtual QString Destination() const = 0;  // savefile, the path of the song under way
    virtual void SetDestination(const QString& path) = 0;
    virtual platform::EventPump& Pump() = 0;
    virtual QString AppFolder() const = 0;  // where the space folders are made
    // Whether the download leaves out songs whose files are already there (a resumed run).
    virtual bool SkipSaved() const { return false; }
    // Told that the save record or the reading copy could not be written; the window's own
    // texts stay as they are.
    virtual void NotesUnwritten() {}
    // Marks the song of the row (1-based) as failed in the last download, or clears the mark,
    // so that the user sees which songs the closing count means; here as a third cell.
    virtual void MarkSongFailed(int row, bool failed) {
        if (failed || !Songs().Cell(row, 2).isEmpty()) {
            Songs().SetCell(row, 2, failed ? QStringLiteral("下载失败") : QString());
        }
    }
};
