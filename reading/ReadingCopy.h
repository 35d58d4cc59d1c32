#pragma once

#include <QString>
#include <optional>

#include "space/SaveRecord.h"

// How writing a reading copy went: whether every page was written, and how many article
// pages there are.
struct ReadingCopyOutcome {
    bool written = false;
    int articlePages = 0;
};

// Writes the reading copy of the space into its folder (ending in a separator) from the
// files there and the save record: the reading folder, built aside and put in place whole,
// then the start page. Reads no page from the network. When the folder is missing or a page
// cannot be written, nothing is replaced and `written` is false. Throws platform::RunStopped,
// leaving the earlier copy whole, when the run's pump asks it to stop
// (platform::StopIfRequested) before the new copy takes the earlier one's place.
ReadingCopyOutcome WriteReadingCopy(const QString& spaceFolder, const QString& address);

// After a save noted its run in the record (`noted`: whether the record was written), writes
// the reading copy of the space at the address anew. Nothing is written for an address without
// a space folder name or when the space folder is missing. Returns whether both were written.
bool RefreshReadingCopy(const QString& appFolder, const QString& address, bool noted);

// The same from a record already in hand (nothing for a space without one).
ReadingCopyOutcome WriteReadingCopy(const QString& spaceFolder, const QString& address,
                                    const std::optional<SaveRecord>& record);
