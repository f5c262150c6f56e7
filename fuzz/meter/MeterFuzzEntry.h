#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex::fuzz {

// Drives the meter data path with one fuzz input: its first byte picks the decimal separator, the rest is a
// series of operations (bridge chunks, serial chunks, payloads, gate controls). Returns false when an
// invariant broke: the receive text above its cap or holding anything but upper-case hexadecimal digits.
bool RunMeterFuzzInput(const std::uint8_t* data, std::size_t size);

}  // namespace korvex::fuzz
