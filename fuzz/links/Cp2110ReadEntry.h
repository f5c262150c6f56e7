#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex::fuzz {

// Feeds arbitrary input reports (any id, any length, cut short or padded) to a CP2110 and reads them back
// with arbitrary read sizes. The bytes read must be exactly the UART bytes of the well-formed data
// reports, in order, and no read may claim more than it was asked for.
// Input: a report count, each report as a length byte and its bytes (an empty one stands for a device
// that failed), then the read sizes. Returns false when the reads broke that promise.
bool RunCp2110ReadInput(const std::uint8_t* data, std::size_t size);

} // namespace korvex::fuzz
