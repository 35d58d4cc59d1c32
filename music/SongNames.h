#pragma once

#include <QString>
#include <QStringList>

// The song's file name: the text after the last "/" of its address made fit for any disk the
// backup may be copied to. Characters that Windows or a FAT memory stick refuses in a name
// (separators, control characters, < > : " | ? *) and a trailing dot or blank become "_", a
// reserved device name (CON, NUL.mp3, ...) gets a "_" in front, an empty name is "_", and
// a name longer than 255 bytes of UTF-8 is cut before its extension. A name that needs none of
// this is unchanged.
QString SongFileName(const QString& address);

// The file names of a list of songs, in its order, no two alike even where case is not told
// apart: a name that needed no change keeps it (the first song of that name does), and any
// other song, a later one of the same name or one whose name was made up, gets its name if
// it is free and otherwise a numbered one beside it ("same(2).mp3"). The same list always
// gives the same names.
QStringList SongFileNames(const QStringList& addresses);
