#include "sim/Fault.h"

#include <array>
#include <utility>

namespace spacesim {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 14> kNames{{
    {Fault::Status404, "status404"},
    {Fault::Status500, "status500"},
    {Fault::Refuse, "refuse"},
    {Fault::Reset, "reset"},
    {Fault::Slow, "slow"},
    {Fault::Stall, "stall"},
    {Fault::Truncate, "truncate"},
    {Fault::Empty, "empty"},
    {Fault::Moved, "moved"},
    {Fault::Placeholder, "placeholder"},
    {Fault::NotArchived, "notarchived"},
    {Fault::Endless, "endless"},
    {Fault::Offsite, "offsite"},
    {Fault::Flood, "flood"},
}};

}  // namespace

std::optional<Fault> ParseFault(std::string_view mode) {
    for (const auto& [fault, name] : kNames) {
        if (name == mode) {
            return fault;
        }
    }
    return std::nullopt;
}

}  // namespace spacesim
