#pragma once

#include <string>

namespace platform {

// The text of an initialisation file with one key set, changed the way the Windows profile
// calls change it: the first entry of the key in the section gets the new value after its '=',
// a missing key is added as the section's last entry, a missing section is added at the end,
// and every other line stays byte for byte as it was.
std::string WithProfileValue(const std::string& text, const std::string& section,
                             const std::string& key, const std::string& value);

}  // namespace platform
