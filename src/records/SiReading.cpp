#include "records/SiReading.h"

#include <QDate>
#include <QTime>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>

namespace korvex {
namespace {

struct UnitScale {
    std::string_view text;  // as the record table writes the unit
    int exponent;           // power of ten to the SI unit
    std::string_view siUnit;
};

constexpr std::array<UnitScale, 14> kUnitScales = {{
    {"", 0, ""},
    {"Ohm", 0, "\u03A9"},
    {"KOhm", 3, "\u03A9"},
    {"MOhm", 6, "\u03A9"},
    {"uH", -6, "H"},
    {"mH", -3, "H"},
    {"H", 0, "H"},
    {"kH", 3, "H"},
    {"pF", -12, "F"},
    {"nF", -9, "F"},
    {"uF", -6, "F"},
    {"mF", -3, "F"},
    {"Deg", 0, "deg"},
    {"%", 0, "%"},
}};

bool AllDigits(std::string_view text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Writes sign, whole digits and fraction digits with the point moved `exponent` places to the right,
// without leading zeros before the point, trailing zeros after it, or a point with nothing after it.
std::string ShiftedDecimal(bool negative, std::string_view whole, std::string_view fraction, int exponent)
{
    std::string digits(whole);
    digits += fraction;
    long point = static_cast<long>(whole.size()) + exponent;
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    if (static_cast<std::size_t>(point) > digits.size())
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');

    std::string integer = digits.substr(0, static_cast<std::size_t>(point));
    std::string decimals = digits.substr(static_cast<std::size_t>(point));
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
    const std::size_t lastNonZero = decimals.find_last_not_of('0');
    decimals = lastNonZero == std::string::npos ? "" : decimals.substr(0, lastNonZero + 1);

    std::string out;
    if (negative && (integer != "0" || !decimals.empty()))
        out.push_back('-');
    out += integer;
    if (!decimals.empty()) {
        out.push_back('.');
        out += decimals;
    }
    return out;
}

void AppendTwoDigits(std::string& out, int value)
{
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value)
{
    if (at + count > text.size() || !AllDigits(text.substr(at, count)))
        return false;
    value = std::atoi(std::string(text.substr(at, count)).c_str());
    return true;
}

}  // namespace

std::optional<SiDigits> ReadSiDigits(std::string_view valueText, std::string_view unitText,
                                     std::string_view decimalSep)
{
    const UnitScale* scale = nullptr;
    for (const UnitScale& candidate : kUnitScales)
        if (candidate.text == unitText)
            scale = &candidate;
    if (scale == nullptr || decimalSep.empty())
        return std::nullopt;

    SiDigits digits;
    std::string_view text = valueText;
    digits.negative = !text.empty() && text.front() == '-';
    if (digits.negative)
        text.remove_prefix(1);
    digits.whole = text;
    if (const std::size_t at = text.find(decimalSep); at != std::string_view::npos) {
        digits.whole = text.substr(0, at);
        digits.fraction = text.substr(at + decimalSep.size());
    }
    if (digits.whole.empty() && digits.fraction.empty())
        return std::nullopt;
    if (!AllDigits(digits.whole) || !AllDigits(digits.fraction))
        return std::nullopt;
    digits.exponent = scale->exponent;
    digits.unit = scale->siUnit;
    return digits;
}

SiReading MainReadingSi(std::string_view valueText, std::string_view unitText, std::string_view decimalSep)
{
    const std::optional<SiDigits> digits = ReadSiDigits(valueText, unitText, decimalSep);
    if (!digits)
        return {};
    return {ShiftedDecimal(digits->negative, digits->whole, digits->fraction, digits->exponent),
            std::string(digits->unit)};
}

double SiValue(const SiDigits& digits)
{
    // Up to 15 digits and a power of ten up to 22 are exact doubles, and one multiplication or division
    // of exact operands rounds once: the nearest double, as reading the written decimal gives.
    constexpr std::array<double, 23> kPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    int significant = 0;
    for (const std::string_view part : {digits.whole, digits.fraction})
        for (const char c : part) {
            if (significant > 0 || c != '0')
                ++significant;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            if (significant > 15)
                break;
        }
    const long power = static_cast<long>(digits.exponent) - static_cast<long>(digits.fraction.size());
    if (significant <= 15 && power >= -22 && power <= 22) {
        double value = static_cast<double>(mantissa);
        value = power >= 0 ? value * kPowers[static_cast<std::size_t>(power)]
                           : value / kPowers[static_cast<std::size_t>(-power)];
        return digits.negative && mantissa != 0 ? -value : value;
    }
    const std::string text = ShiftedDecimal(digits.negative, digits.whole, digits.fraction, digits.exponent);
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string IsoLocalTime(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    std::string out = local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString();
    int offset = local.offsetFromUtc() / 60;
    out.push_back(offset < 0 ? '-' : '+');
    offset = std::abs(offset);
    AppendTwoDigits(out, offset / 60);
    out.push_back(':');
    AppendTwoDigits(out, offset % 60);
    return out;
}

std::string IsoTimeOfRecordText(std::string_view recordTime)
{
    // yyyy-mm-dd hh?mm?ss, 19 characters, the two time separators alike.
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (recordTime.size() != 19 || recordTime[4] != '-' || recordTime[7] != '-' || recordTime[10] != ' ' ||
        recordTime[13] != recordTime[16] || (recordTime[13] >= '0' && recordTime[13] <= '9'))
        return {};
    if (!ReadDigits(recordTime, 0, 4, year) || !ReadDigits(recordTime, 5, 2, month) ||
        !ReadDigits(recordTime, 8, 2, day) || !ReadDigits(recordTime, 11, 2, hour) ||
        !ReadDigits(recordTime, 14, 2, minute) || !ReadDigits(recordTime, 17, 2, second))
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return {};
    const QDateTime when(date, time, Qt::LocalTime);
    // A time the clock skipped when it was set forward is no moment of the local clock.
    if (!when.isValid() || when.time() != time || when.date() != date)
        return {};
    return IsoLocalTime(when);
}

}  // namespace korvex
