#pragma once

#include <QString>

namespace platform {

// The start of the names this program gives its temporary files beside a saved file; the
// process number and a counter follow.
inline constexpr char kTemporaryFilePrefix[] = ".pagewren-";

// Removes from the folder every file or folder whose name is the prefix followed by the number
// of a process of this user that has ended (then a "-", a "." or nothing): what a killed run
// left. Entries of running processes stay. Each folder is looked through once per prefix and
// process, so that many saves into one folder cost one listing.
void RemoveLeftovers(const QString& folder, const QString& prefix);

}  // namespace platform
