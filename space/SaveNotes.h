#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "space/SaveRecord.h"

namespace platform {
class ReportList;
}

// The calls every save makes at its end, before it writes the reading copy anew: each notes
// its run in the save record of the space folder. They change none of the save's own files,
// status texts or outcome; nothing is written for an address without a space folder name or
// when the space folder is missing. Each returns false only when the record could not be
// written (the earlier one then stays whole).

// After an article save in one of the three formats: rows 1 to outcomes.size() of the list
// (title, category, date, address) with what became of each, and how many pages of the
// catalogue behind the list could not be read; any other format notes nothing. The pictures
// fetched after it, when given, are moved into the record in the place of the earlier ones of
// the same addresses (each requested at the archived address a song or article would be);
// without them the pictures noted before stay as they are.
bool NoteArticleSave(const QString& appFolder, const QString& address, const QString& format,
                     const platform::ReportList& articles, const std::vector<RowOutcome>& outcomes,
                     int unreadCataloguePages, std::vector<RecordedPicture>* pictures = nullptr);

// After a song download: each song's address, title (as the playlist named it, or empty) and
// file name (in the song folder) with what became of it.
bool NoteSongDownload(const QString& appFolder, const QString& address,
                      const QStringList& songAddresses, const QStringList& songTitles,
                      const QStringList& fileNames, const std::vector<RowOutcome>& outcomes);

// After the save of the CSS template: whether it was saved.
bool NoteFileSave(const QString& appFolder, const QString& address, const QString& fileName,
                  bool saved);

// After the save of a board or comment page: whether it was saved, the records it holds,
// and how many pages of the list could not be read. For the comment page, what its records
// name beyond their lines (given only when saved) replaces what the earlier page's named.
bool NoteRecordFileSave(const QString& appFolder, const QString& address, const QString& fileName,
                        bool saved, int records, int unreadPages,
                        std::vector<RecordedComment>* comments = nullptr);
