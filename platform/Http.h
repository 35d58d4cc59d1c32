#pragma once

#include <optional>
#include <string>

namespace platform {

// Performs one GET of the address, with no extra headers and the proxy that the environment
// names, and returns the raw body whatever the status. Returns nothing when the request
// fails: bad address, refused connection, a server that stalls, a body cut short or one
// larger than 64 MiB.
std::optional<std::string> HttpGet(const std::string& address);

}  // namespace platform
