#pragma once

#include <cstdint>

namespace korvex {

// Event codes handed to the bridge link's device-change handler.
inline constexpr std::uint32_t DBT_DEVNODES_CHANGED = 0x0007;      // something changed, no path given
inline constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;         // a device node appeared
inline constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;  // a device node went away

} // namespace korvex
