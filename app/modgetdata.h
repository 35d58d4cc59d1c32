#pragma once

#include <QString>
#include <optional>
#include <string>

// Fetches the page at the address (a complete "http://" URL) and returns its body as text
// in code page 936, whatever the status. Returns nothing when the request fails; a dead or
// silent server fails within about 30 seconds.
std::optional<QString> GetData(const QString& address);

// The page at the address, or the empty text when the request fails: the page a step reads
// after setting its page text to empty before the request.
QString GetPageOrEmpty(const QString& address);

// The page at the address for keeping: nothing when the request fails, when the server
// answers with anything but success (its body is an error page, not the page) or when the
// answer is empty.
std::optional<QString> GetPageToKeep(const QString& address);

// The address as it goes out: non-ASCII characters and blanks percent-encoded from their
// code page 936 bytes, as the service expected of its own links.
std::string AddressOnTheWire(const QString& address);
