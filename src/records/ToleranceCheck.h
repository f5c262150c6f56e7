#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A nominal value as the user types it ("4.7u", "4.7 µF", "470n", "1.5 kOhm"): in SI base units, with
// the unit when one was given ("F", "H", "Ω" in UTF-8, or empty).
struct TNominal {
    double value = 0.0;
    std::string unit;
};

// The nominal read from the user's text, or the hint that says what is wrong with it.
struct TNominalInput {
    std::optional<TNominal> nominal;
    std::string hint;  // empty when read, and for an empty text (no check asked for)
};
TNominalInput ParseNominal(std::string_view utf8);

// A tolerance in percent ("5", "5 %", "±0.5%", "1,5"): above 0 and at most 100; otherwise the hint.
struct TToleranceInput {
    std::optional<double> percent;
    std::string hint;
};
TToleranceInput ParseTolerance(std::string_view utf8);

// Counts readings inside and outside nominal ± tolerance, keeps the largest deviation and a histogram of
// deviations: bins of 1 % of nominal, finer (1-2-5 steps) so a tolerance under 5 % spans at least five
// bins each side, covering the tolerance band, and one bin each for the readings below and above it.
class TToleranceCheck {
public:
    TToleranceCheck(double nominal, double tolerancePercent);

    void Add(double value);
    void Clear();

    double Nominal() const { return nominal_; }
    double TolerancePercent() const { return tolerance_; }
    std::int64_t Inside() const { return inside_; }
    std::int64_t Outside() const { return outside_; }
    // Signed deviation in percent of the reading farthest from nominal; none before the first reading.
    std::optional<double> WorstDeviation() const;

    double BinWidth() const { return binWidth_; }
    // Below the band, then the band's bins from its low end up, then above it.
    const std::vector<std::int64_t>& Bins() const { return bins_; }
    // Low edge in percent of band bin `i` (0 = first bin inside the band, at -tolerance; the count of band
    // bins gives +tolerance).
    double BinLow(int i) const;

    static double BinWidthFor(double tolerancePercent);

private:
    double nominal_;
    double tolerance_;
    double binWidth_;
    int binsPerSide_;
    std::vector<std::int64_t> bins_;
    std::int64_t inside_ = 0;
    std::int64_t outside_ = 0;
    double worst_ = 0.0;
};

}  // namespace korvex
