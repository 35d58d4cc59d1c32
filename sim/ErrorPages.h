#pragma once

#include <string>

namespace spacesim {

// The service's error page for a status (404, 500, 502; others read as 500), in UTF-8. It
// carries a line of text and none of the markers of the real pages.
std::string ErrorPage(int status);

// The service's page for a space it closed, answered with success.
std::string ClosedSpacePage();

}  // namespace spacesim
