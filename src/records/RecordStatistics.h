#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/RunningStats.h"
#include "records/TableEngine.h"
#include "records/ToleranceCheck.h"

namespace korvex {

// One reading of a function (main or secondary) over the rows seen.
struct TReadingStatistics {
    std::string key;       // function text as the table holds it
    std::string name;      // as shown: "Cs", "D", "θ" (UTF-8)
    std::string unit;      // SI unit of the first numeric reading (UTF-8; "" for D and Q)
    TRunningStats values;  // numeric readings in `unit`
    std::int64_t overRange = 0;  // readings that are no number (OL, dashes ...) or in another unit
};

// The rows of one main function: its main reading, the secondary readings that came with it, and the
// tolerance check of its main readings when a nominal in its unit is set.
struct TFunctionStatistics {
    TReadingStatistics main;
    std::vector<TReadingStatistics> secondary;  // in order of first appearance
    std::optional<TToleranceCheck> tolerance;
    std::int64_t lastNumericRow = -1;  // the latest row with a numeric main reading
};

// Statistics of the record table's readings grouped by main function, kept up to date row by row in
// O(1) and rebuilt from the table after it was emptied or reloaded. Values are converted to SI units
// exactly as the CSV export converts them, with the decimal separator the readings were written with.
class TRecordStatistics {
public:
    TRecordStatistics(const TTable& table, std::string decimalSep);

    // Takes the table's row (the next one after those seen).
    void Add(int row);
    // Forgets everything and takes rows 0 .. rows-1.
    void Recompute(int rows);
    void Clear();
    int RowsSeen() const { return rowsSeen_; }

    // Checks main readings against nominal ± tolerance from now on (Recompute to cover the rows seen);
    // nothing to stop checking.
    void SetTolerance(std::optional<TNominal> nominal, double tolerancePercent);
    const std::optional<TNominal>& Nominal() const { return nominal_; }

    const std::vector<TFunctionStatistics>& Functions() const { return functions_; }
    // The function the nominal is for: of those in the nominal's unit (any, for a nominal without one),
    // the one measured last; none without a nominal or such a function.
    const TFunctionStatistics* ToleranceFunction() const;

private:
    TFunctionStatistics& FunctionNamed(std::string_view name);
    static TReadingStatistics& ReadingNamed(std::vector<TReadingStatistics>& readings, std::string_view name);
    // The reading's value in its SI unit, or none when it counts as over range.
    std::optional<double> AddReading(TReadingStatistics& reading, std::string_view value, std::string_view unit);
    bool Matches(const TFunctionStatistics& function) const;

    const TTable& table_;
    std::string decimalSep_;
    std::array<int, 6> fields_{};  // aMMode, aMValue, aMUnit, aSMode, aSValue, aSUnit
    bool valid_ = true;
    std::vector<TFunctionStatistics> functions_;
    std::optional<TNominal> nominal_;
    double tolerancePercent_ = 0.0;
    int rowsSeen_ = 0;
};

}  // namespace korvex
