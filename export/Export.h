#pragma once

#include <QString>

#include "space/SavedSpace.h"

// The exports of a saved space: each reads the model of the space (and the files of its
// folder that the model names) and writes one target at outPath, built beside it and put in
// its place whole, so that outPath holds either the earlier export or the new one. None of
// them makes a request.

// How an export went. `message` says why it failed, in words for the user, and is empty
// when it succeeded.
struct ExportOutcome {
    bool written = false;
    QString message;
    int articles = 0;  // the articles written
    int pictures = 0;  // the picture files carried along
};

// A folder that `hugo` builds with no theme and no option into a site of the space: article
// pages, category pages, a home page, the board and the songs. outPath must not exist, or be
// an empty folder or one an earlier Hugo export wrote (its hugo.toml begins with the export's
// mark); anything else there is refused and left as it was. Throws platform::RunStopped,
// leaving outPath as it was, when the run's pump asks it to stop.
ExportOutcome ExportHugo(const QString& spaceFolder, const SavedSpace& space,
                         const QString& outPath);

// A WordPress eXtended RSS 1.2 file of the space's articles, comments and pictures. outPath
// must not exist or be an empty file or a WXR file (an earlier export).
ExportOutcome ExportWxr(const QString& spaceFolder, const SavedSpace& space,
                        const QString& outPath);

// An EPUB 3 book of the space: a title page, the articles by category then date with their
// pictures and comments, and the board. outPath must not exist or be an empty file or an EPUB
// book (an earlier export).
ExportOutcome ExportEpub(const QString& spaceFolder, const SavedSpace& space,
                         const QString& outPath);
