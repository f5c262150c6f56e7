#include "records/ToleranceCheck.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace korvex {
namespace {

const char* const kNominalHint = "Nominal value not understood: type a number with a prefix and unit, e.g. 4.7u or 4.7 \u00B5F";
const char* const kNominalPositiveHint = "Nominal value must be above zero";
const char* const kToleranceHint = "Tolerance not understood: type a percentage above 0 and up to 100, e.g. 5";

struct Prefix {
    std::string_view text;
    double factor;
};

constexpr std::array<Prefix, 10> kPrefixes = {{
    {"p", 1e-12},
    {"n", 1e-9},
    {"u", 1e-6},
    {"\u00B5", 1e-6},  // micro sign
    {"\u03BC", 1e-6},  // Greek small mu
    {"m", 1e-3},
    {"k", 1e3},
    {"K", 1e3},
    {"M", 1e6},
    {"G", 1e9},
}};

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads an unsigned decimal number from the front of `text` ("4.7", "4,7", "47", ".5", "4.7e-6") and
// removes it; false when there is none.
bool TakeNumber(std::string_view& text, double& value)
{
    std::string number;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && IsDigit(text[i]); ++i, digits = true)
        number.push_back(text[i]);
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        number.push_back('.');
        for (++i; i < text.size() && IsDigit(text[i]); ++i, digits = true)
            number.push_back(text[i]);
    }
    if (!digits)
        return false;
    // An exponent only where digits follow it, so the letters after a number stay a prefix and a unit.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            number += text.substr(i, j - i);
            for (i = j; i < text.size() && IsDigit(text[i]); ++i)
                number.push_back(text[i]);
        }
    }
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc())
        return false;
    text.remove_prefix(i);
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// The SI unit a unit text names, or nothing.
std::optional<std::string> UnitOf(std::string_view text)
{
    if (EqualsIgnoringCase(text, "F") || EqualsIgnoringCase(text, "H"))
        return std::string(1, static_cast<char>(text[0] & ~0x20));
    if (text == "\u03A9" || text == "\u2126" || EqualsIgnoringCase(text, "ohm"))
        return std::string("\u03A9");
    return std::nullopt;
}

}  // namespace

TNominalInput ParseNominal(std::string_view utf8)
{
    std::string_view text = Trimmed(utf8);
    if (text.empty())
        return {};
    if (text.front() == '-')
        return {std::nullopt, kNominalPositiveHint};
    if (text.front() == '+')
        text.remove_prefix(1);
    double number = 0.0;
    if (!TakeNumber(text, number))
        return {std::nullopt, kNominalHint};
    text = Trimmed(text);

    TNominal nominal{number, {}};
    if (!text.empty()) {
        if (std::optional<std::string> unit = UnitOf(text)) {
            nominal.unit = std::move(*unit);
        } else {
            const Prefix* prefix = nullptr;
            for (const Prefix& candidate : kPrefixes)
                if (text.substr(0, candidate.text.size()) == candidate.text)
                    prefix = &candidate;
            if (prefix == nullptr)
                return {std::nullopt, kNominalHint};
            const std::string_view rest = text.substr(prefix->text.size());
            std::optional<std::string> prefixedUnit = rest.empty() ? std::optional<std::string>("") : UnitOf(rest);
            if (!prefixedUnit)
                return {std::nullopt, kNominalHint};
            nominal.value *= prefix->factor;
            nominal.unit = std::move(*prefixedUnit);
        }
    }
    if (!(nominal.value > 0.0) || !std::isfinite(nominal.value))
        return {std::nullopt, kNominalPositiveHint};
    return {nominal, {}};
}

TToleranceInput ParseTolerance(std::string_view utf8)
{
    std::string_view text = Trimmed(utf8);
    for (const std::string_view sign : {std::string_view("\u00B1"), std::string_view("+")})
        if (text.substr(0, sign.size()) == sign)
            text = Trimmed(text.substr(sign.size()));
    if (!text.empty() && text.back() == '%')
        text = Trimmed(text.substr(0, text.size() - 1));
    double percent = 0.0;
    if (!TakeNumber(text, percent) || !text.empty() || !(percent > 0.0) || percent > 100.0)
        return {std::nullopt, kToleranceHint};
    return {percent, {}};
}

double TToleranceCheck::BinWidthFor(double tolerancePercent)
{
    // 1, 0.5, 0.2, 0.1, 0.05 ...: the widest that puts five bins between nominal and the limit.
    constexpr std::array<double, 3> kSteps = {1.0, 0.5, 0.2};
    for (double decade = 1.0;; decade /= 10.0)
        for (const double step : kSteps)
            if (tolerancePercent >= 5.0 * step * decade || decade < 1e-9)
                return step * decade;
}

TToleranceCheck::TToleranceCheck(double nominal, double tolerancePercent)
    : nominal_(nominal)
    , tolerance_(tolerancePercent)
    , binWidth_(BinWidthFor(tolerancePercent))
    // A hair below a whole number of bins is that number: 5 % in bins of 1 % is five bins, not six.
    , binsPerSide_(static_cast<int>(std::ceil(tolerancePercent / binWidth_ - 1e-9)))
    , bins_(static_cast<std::size_t>(2 * binsPerSide_ + 2), 0)
{
}

void TToleranceCheck::Add(double value)
{
    const double deviation = (value - nominal_) / nominal_ * 100.0;
    if (inside_ + outside_ == 0 || std::abs(deviation) > std::abs(worst_))
        worst_ = deviation;
    // A reading on the limit is inside: the relative slack covers the rounding of the division above.
    const bool inside = std::abs(deviation) <= tolerance_ * (1.0 + 1e-9);
    std::size_t bin = 0;
    if (inside) {
        ++inside_;
        const double position = std::floor((deviation + binsPerSide_ * binWidth_) / binWidth_);
        bin = 1 + static_cast<std::size_t>(std::clamp(position, 0.0, 2.0 * binsPerSide_ - 1));
    } else {
        ++outside_;
        bin = deviation < 0 ? 0 : bins_.size() - 1;
    }
    ++bins_[bin];
}

void TToleranceCheck::Clear()
{
    std::fill(bins_.begin(), bins_.end(), 0);
    inside_ = 0;
    outside_ = 0;
    worst_ = 0.0;
}

std::optional<double> TToleranceCheck::WorstDeviation() const
{
    if (inside_ + outside_ == 0)
        return std::nullopt;
    return worst_;
}

double TToleranceCheck::BinLow(int i) const
{
    // The band's outer bins end at the limits, where the tolerance is no whole number of bins.
    return std::clamp((i - binsPerSide_) * binWidth_, -tolerance_, tolerance_);
}

}  // namespace korvex
