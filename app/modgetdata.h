#pragma once

#include <QString>
#include <optional>

// Fetches the page at the address (a complete "http://" URL) and returns its body as text
// in code page 936, whatever the status. Returns nothing when the request fails; a dead or
// silent server fails within about 30 seconds.
std::optional<QString> GetData(const QString& address);

// The page at the address, or the empty text when the request fails: the page a step reads
// after setting its page text to empty before the request.
QString GetPageOrEmpty(const QString& address);
