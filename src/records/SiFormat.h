#pragma once

#include <string>
#include <string_view>

namespace korvex {

// A figure as the statistics show it: four significant digits, and for F, H and Ω (UTF-8) the SI prefix
// that leaves one to three digits before the separator ("4.712 µF", "47.12 kΩ"); other units keep plain
// digits ("0.01200", "-89.50°"). A value that is no number shows as "-".
std::string FormatSi(double value, std::string_view unit, std::string_view decimalSep);

// A figure for a spreadsheet: up to ten significant digits in SI base units, no prefix, no unit.
std::string FormatPlain(double value, std::string_view decimalSep);

// How a unit is written after a figure: "deg" as the degree sign, the others as they are.
std::string_view UnitSymbol(std::string_view unit);

}  // namespace korvex
