#include "display/BarScale.h"

#include <algorithm>
#include <cmath>

#include "meter/ReadingFormat.h"

namespace korvex {

std::int32_t BarMaximum(std::int32_t mainPoint)
{
    if (mainPoint < 0 || mainPoint > 4)
        return 0;
    return static_cast<std::int32_t>(std::lround(FullScale(mainPoint) * std::pow(10.0, mainPoint)));
}

std::int32_t BarPosition(const TMeterState& state)
{
    const std::int32_t maximum = BarMaximum(state.MainPoint);
    switch (state.MainKind) {
    case rkNumber:
        return std::clamp(state.MainRaw, 0, maximum);
    case rkOL:
        return maximum;
    default:
        return 0;
    }
}

}  // namespace korvex
