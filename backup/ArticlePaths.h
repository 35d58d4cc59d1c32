#pragma once

#include <QString>

// The longest file or folder name the file system takes, in bytes of UTF-8.
inline constexpr int kMaxNameBytes = 255;

// A name cut from a page made fit to be one file or folder name: separators and control
// characters become "_", "." and ".." become "_" and "__", and the name is cut at a
// character boundary to maxBytes bytes of UTF-8. A name that is already fit is unchanged.
QString SafeName(const QString& name, int maxBytes = kMaxNameBytes);

// The folder name of the space at the address: its space name made fit as above, without
// the separators an address may end in. Empty for an address that is not usable.
QString SpaceFolderName(const QString& address);

// The space folder: <appFolder>/<space folder name>/ (just <appFolder>// when the name is
// empty).
QString SpaceFolderPath(const QString& appFolder, const QString& address);

// The folder of a category beneath the space folder.
QString CategoryFolderPath(const QString& spaceFolder, const QString& category);

// The file of article row `row`: the row number, a blank, the title and the extension, with
// separators and control characters in the title made "_" and the title shortened so that
// the name with ".html.doc" still fits in one file name.
QString ArticleFileName(int row, const QString& title, const QString& extension);
