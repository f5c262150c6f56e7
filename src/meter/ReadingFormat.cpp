#include "meter/ReadingFormat.h"

#include <QLocale>
#include <QString>
#include <charconv>
#include <cmath>

#include "meter/Windows1252.h"

namespace korvex {

std::string FormatReading(std::int32_t raw, std::int32_t point, bool mainReading, const std::string& decimalSep)
{
    if (point < 0 || point > 4)
        return {};
    const bool negative = raw < 0;
    std::string digits = std::to_string(negative ? -static_cast<std::int64_t>(raw) : static_cast<std::int64_t>(raw));
    if (point == 0)
        return negative ? "-" + digits : digits;

    const std::size_t minDigits = static_cast<std::size_t>(point) + 1;
    if (digits.size() < minDigits)
        digits.insert(0, minDigits - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(point), decimalSep);
    if (negative)
        digits.insert(0, 1, '-');

    // The main readout has room for five digits: 0.1234 is shown as .1234.
    if (mainReading && point == 4 && digits.size() == 6 && digits[0] == '0')
        digits.erase(0, 1);
    return digits;
}

std::optional<double> ParseReading(std::string_view text, const std::string& decimalSep)
{
    // Normalise to "[-]digits[.digits]" and let from_chars, which ignores the C locale, do the rounding.
    std::string normal;
    normal.reserve(text.size());
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '-')
        normal.push_back(text[pos++]);
    bool separatorSeen = false;
    bool digitSeen = false;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c >= '0' && c <= '9') {
            normal.push_back(c);
            digitSeen = true;
            ++pos;
        } else if (!separatorSeen && !decimalSep.empty() && text.substr(pos, decimalSep.size()) == decimalSep) {
            normal.push_back('.');
            separatorSeen = true;
            pos += decimalSep.size();
        } else {
            return std::nullopt;
        }
    }
    if (!digitSeen)
        return std::nullopt;
    // from_chars does not take "6553." or ".1234" in every library version: complete them.
    if (normal.back() == '.')
        normal.push_back('0');
    const std::size_t dot = normal.find('.');
    if (dot != std::string::npos && (dot == 0 || normal[dot - 1] == '-'))
        normal.insert(dot, 1, '0');

    double value = 0.0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string ReadDecimalSeparator()
{
    std::string separator = ToWindows1252(QLocale::system().decimalPoint());
    // A locale separator is at most nine bytes long; anything longer is cut there.
    if (separator.size() > 9)
        separator.resize(9);
    return separator;
}

double FullScale(std::int32_t point)
{
    switch (point) {
    case 0: return 20000.0;
    case 1: return 2000.0;
    case 2: return 200.0;
    case 3: return 20.0;
    case 4: return 2.0;
    default: return 0.0;
    }
}

}  // namespace korvex
