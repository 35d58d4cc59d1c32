#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

// Makes a large space for benchmarks: `articles` articles spread over ten categories, ten to
// a listing page, pager forms alternating, the same content on every run. No songs, board
// messages or comments. The name must pass SpaceStore::Add's rules.
Space GenerateSpace(const std::string& name, int articles);

}  // namespace spacesim
