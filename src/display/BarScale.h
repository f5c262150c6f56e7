#pragma once

#include <cstdint>

#include "meter/MeterState.h"

namespace korvex {

// The bar graph works in counts: the full scale of a decimal-point code times 10 to the power of that
// code. A progress bar holds integers only, so a full scale of 2 or 20 reading units would leave the
// bar with two or twenty steps; in counts every code 0..4 has 20000 steps, and a reading's position is
// its raw count. Codes 5..7 have no full scale.
std::int32_t BarMaximum(std::int32_t mainPoint);

// Position of the bar for the main readout: the count clamped to the maximum for a number, the
// maximum for an overload, 0 otherwise.
std::int32_t BarPosition(const TMeterState& state);

}  // namespace korvex
