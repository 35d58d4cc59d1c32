#pragma once

#include <QString>

namespace platform {

// Reads a value from a Windows-style initialisation file in code page 936, cut to
// maxBytes bytes. Returns the empty text when the file, the section or the key is missing.
QString ReadProfileString(const QString& filePath, const QString& section, const QString& key,
                          int maxBytes);

// Sets one value in the file, creating it when missing and leaving every other line as it
// was. Returns false when the file cannot be written.
bool WriteProfileString(const QString& filePath, const QString& section, const QString& key,
                        const QString& value);

}  // namespace platform
