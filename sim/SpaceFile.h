#pragma once

#include "sim/SpaceData.h"

#include <filesystem>

namespace spacesim {

// Reads one space data file (UTF-8 JSON); the space takes the file's name without ".json".
// Throws std::runtime_error naming the file when it cannot be read or a field has the wrong
// type; keys it does not know are ignored so that older readers accept newer files.
Space ReadSpaceFile(const std::filesystem::path& file);

}  // namespace spacesim
