#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvex {

// A decimal whole number with an optional sign and nothing else around it, within 32 bits.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

}  // namespace korvex
