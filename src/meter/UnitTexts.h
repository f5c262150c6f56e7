#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "meter/MeterState.h"

namespace korvex {

// The unit captions, indexed by TUnit.
std::array<std::u16string, UnitCount> DefaultUnitTexts();

// The caption of a unit code; codes 15..31 lie outside the table and give an empty caption.
std::u16string UnitCaption(const std::array<std::u16string, UnitCount>& unitTexts, std::uint8_t unit);

}  // namespace korvex
