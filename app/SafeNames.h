#pragma once

#include <QString>

// The longest file or folder name the file system takes, in bytes of UTF-8.
inline constexpr int kMaxNameBytes = 255;

// The text cut to at most maxBytes bytes of UTF-8 without splitting a character.
QString CutToUtf8Bytes(const QString& text, int maxBytes);

// The text with separators ("/", "\"), control characters and lone surrogates made "_".
QString WithHarmlessCharacters(QString name);

// A name cut from a page made fit to be one file or folder name: harmless characters as
// above, "." and ".." become "_" and "__", and the name is cut at a character boundary to
// maxBytes bytes of UTF-8. A name that is already fit is unchanged.
QString SafeName(const QString& name, int maxBytes = kMaxNameBytes);

// The folder name of the space at the address: its space name made fit as above, without
// the separators an address may end in. Empty for an address that is not usable.
QString SpaceFolderName(const QString& address);

// The space folder: <appFolder>/<space folder name>/ (just <appFolder>// when the name is
// empty), never outside the application folder.
QString SpaceFolderPath(const QString& appFolder, const QString& address);
