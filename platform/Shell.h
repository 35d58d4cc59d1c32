#pragma once

#include <QString>
#include <functional>

namespace platform {

// Hands an address to the program the desktop has registered for it (a browser for a page).
void OpenAddress(const QString& address);

// Opens a folder in the desktop's file browser.
void OpenFolder(const QString& path);

// Routes both of the above to a handler instead of the desktop (the CLI and the tests
// use it); an empty handler restores the desktop.
using ShellHandler = std::function<void(const QString& verb, const QString& target)>;
void SetShellHandler(ShellHandler handler);

}  // namespace platform
