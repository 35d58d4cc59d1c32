#pragma once

#include <QString>
#include <optional>

namespace platform {

// The address as the user's browser should open it: with a replay prefix, the archived copy
// (prefix + address), since the live page is long gone; otherwise the address itself.
// Nothing for an address that is not a web page ("http://" or "https://", in any case), so
// that a text cut from a page never starts a program or opens a local file.
std::optional<QString> BrowserAddress(const QString& address);

// Hands BrowserAddress(address) to the desktop's opener (OpenAddress); does nothing when
// there is none.
void OpenInBrowser(const QString& address);

}  // namespace platform
