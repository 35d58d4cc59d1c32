#pragma once

#include <QString>
#include <QStringList>

// The folder of the pictures in the space folder: "图片" followed by DEL (U+007F). Category
// folders are named by SafeName, which makes every DEL "_", so no category can take this
// name; the saves and the reading copy both find the pictures here.
inline const QString kPictureFolderName = QStringLiteral("图片") + QChar(0x7F);

// The name of a picture's file in the picture folder, less its extension (PictureExtension):
// the last piece of the address's path without a picture extension, then "_" and 12 hex
// digits of the address's SHA-1, so that every address has a file of its own and the same one
// on every run. Letters and digits of any script, "-", "_" and "." are kept and everything else
// made "_", a leading dot too, and the piece is cut to 64 bytes of UTF-8: Windows and FAT disks
// take the name, and it stays inside the folder whatever the address holds.
QString PictureFileStem(const QString& address);

// The stem with each picture extension: the files that may hold a picture saved before.
QStringList PictureFileNames(const QString& stem);
