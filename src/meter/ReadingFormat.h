#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The reading text of a raw count: point (0..4) digits after decimalSep, at least one digit before it.
// A main reading with point 4 drops a leading "0" from a six-character text (0.1234 becomes .1234).
// Points outside 0..4 are never formatted; they give an empty text.
std::string FormatReading(std::int32_t raw, std::int32_t point, bool mainReading, const std::string& decimalSep);

// Reads a reading text back as a number, with decimalSep as the separator, independent of the C locale.
// Accepts what FormatReading makes (".1234", "6553.", "12") and the whole numbers of the capacitance rule.
std::optional<double> ParseReading(std::string_view text, const std::string& decimalSep);

// The decimal separator of the system locale as Windows-1252 text, at most 9 bytes.
std::string ReadDecimalSeparator();

// Full scale of a decimal-point code in reading units: 20000, 2000, 200, 20, 2; 0 for 5..7.
double FullScale(std::int32_t point);

}  // namespace korvex
