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

// Statistics read every row's units: a plain loop over these few bytes beats a call to memcmp per entry.
const UnitScale* FindUnit(std::string_view text)
{
    for (const UnitScale& candidate : kUnitScales) {
        if (candidate.text.size() != text.size())
            continue;
        std::size_t i = 0;
        while (i < text.size() && candidate.text[i] == text[i])
            ++i;
        if (i == text.size())
            return &candidate;
    }
    return nullptr;
}

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

// The reading split at its decimal separator, before its digits are checked.
struct SplitReading {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

std::optional<SplitReading> Split(std::string_view text, std::string_view decimalSep)
{
    SplitReading split;
    split.negative = !text.empty() && text.front() == '-';
    if (split.negative)
        text.remove_prefix(1);
    split.whole = text;
    // Readings are a few bytes: a plain loop finds the usual one-byte separator sooner than a library call.
    std::size_t at = std::string_view::npos;
    if (decimalSep.size() == 1) {
        for (std::size_t i = 0; i < text.size() && at == std::string_view::npos; ++i)
            if (text[i] == decimalSep.front())
                at = i;
    } else {
        at = text.find(decimalSep);
    }
    if (at != std::string_view::npos) {
        split.whole = text.substr(0, at);
        split.fraction = text.substr(at + decimalSep.size());
    }
    if (split.whole.empty() && split.fraction.empty())
        return std::nullopt;
    return split;
}

}  // namespace

SiReading MainReadingSi(std::string_view valueText, std::string_view unitText, std::string_view decimalSep)
{
    const UnitScale* scale = FindUnit(unitText);
    if (scale == nullptr || decimalSep.empty())
        return {};
    const std::optional<SplitReading> split = Split(valueText, decimalSep);
    if (!split || !AllDigits(split->whole) || !AllDigits(split->fraction))
        return {};
    return {ShiftedDecimal(split->negative, split->whole, split->fraction, scale->exponent),
            std::string(scale->siUnit)};
}

std::optional<SiNumber> ReadingSiNumber(std::string_view valueText, std::string_view unitText,
                                        std::string_view decimalSep)
{
    const UnitScale* scale = FindUnit(unitText);
    if (scale == nullptr || decimalSep.empty())
        return std::nullopt;
    const std::optional<SplitReading> split = Split(valueText, decimalSep);
    if (!split)
        return std::nullopt;
    // One pass checks the digits and gathers the first fifteen significant ones.
    std::uint64_t mantissa = 0;
    int significant = 0;
    for (const std::string_view part : {split->whole, split->fraction})
        for (const char c : part) {
            if (c < '0' || c > '9')
                return std::nullopt;
            if (significant > 0 || c != '0')
                ++significant;
            if (significant <= 15)
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        }
    // Up to 15 digits and a power of ten up to 22 are exact doubles, and one multiplication or division
    // of exact operands rounds once: the nearest double, as reading the written decimal gives.
    constexpr std::array<double, 23> kPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const long power = static_cast<long>(scale->exponent) - static_cast<long>(split->fraction.size());
    double value = 0.0;
    if (significant <= 15 && power >= -22 && power <= 22) {
        value = static_cast<double>(mantissa);
        value = power >= 0 ? value * kPowers[static_cast<std::size_t>(power)]
                           : value / kPowers[static_cast<std::size_t>(-power)];
        if (split->negative && mantissa != 0)
            value = -value;
    } else {
        const std::string text = ShiftedDecimal(split->negative, split->whole, split->fraction, scale->exponent);
        std::from_chars(text.data(), text.data() + text.size(), value);
    }
    return SiNumber{value, scale->siUnit};
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
