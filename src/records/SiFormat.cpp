#include "records/SiFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace korvex {
namespace {

// p n µ m - k M G: powers of a thousand from -4 to 3.
constexpr std::array<std::string_view, 8> kPrefixes = {"p", "n", "\u00B5", "m", "", "k", "M", "G"};
constexpr int kLowestGroup = -4;

bool Prefixed(std::string_view unit)
{
    return unit == "F" || unit == "H" || unit == "\u03A9";
}

std::string WithSeparator(std::string text, std::string_view decimalSep)
{
    if (const std::size_t at = text.find('.'); at != std::string::npos)
        text.replace(at, 1, decimalSep);
    return text;
}

// The digits "d.ddd" times ten to `power`, written with the point moved and every digit kept.
std::string PlacePoint(bool negative, std::string digits, int power)
{
    int point = 1 + power;
    if (point <= 0) {
        digits.insert(0, static_cast<std::size_t>(1 - point), '0');
        point = 1;
    }
    if (static_cast<std::size_t>(point) > digits.size())
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    if (static_cast<std::size_t>(point) < digits.size())
        digits.insert(static_cast<std::size_t>(point), 1, '.');
    return negative ? "-" + digits : digits;
}

}  // namespace

std::string_view UnitSymbol(std::string_view unit)
{
    return unit == "deg" ? std::string_view("\u00B0") : unit;
}

std::string FormatSi(double value, std::string_view unit, std::string_view decimalSep)
{
    if (!std::isfinite(value))
        return "-";
    // Rounded to four digits first, so 999.96 becomes 1.000e+03 and takes the next prefix.
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::abs(value),
                                       std::chars_format::scientific, 3);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
    const std::size_t e = text.find('e');
    std::string digits(text.substr(0, e));
    digits.erase(1, 1);  // "4.712" -> "4712"
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    const bool negative = value < 0 && digits != "0000";

    int group = 0;
    if (Prefixed(unit) && digits != "0000") {
        group = static_cast<int>(std::floor(exponent / 3.0));
        group = std::max(kLowestGroup, std::min(group, kLowestGroup + static_cast<int>(kPrefixes.size()) - 1));
    }
    std::string out = WithSeparator(PlacePoint(negative, digits, exponent - 3 * group), decimalSep);
    const std::string_view symbol = UnitSymbol(unit);
    const std::string_view prefix = kPrefixes[static_cast<std::size_t>(group - kLowestGroup)];
    if (symbol == "\u00B0") {
        out += symbol;
    } else if (!symbol.empty() || !prefix.empty()) {
        out += ' ';
        out += prefix;
        out += symbol;
    }
    return out;
}

std::string FormatPlain(double value, std::string_view decimalSep)
{
    if (!std::isfinite(value))
        return {};
    std::array<char, 32> buffer{};
    const auto written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 10);
    return WithSeparator(std::string(buffer.data(), written.ptr), decimalSep);
}

}  // namespace korvex
