#include "records/StatisticsText.h"

#include <initializer_list>

#include "records/RecordStatistics.h"
#include "records/SiFormat.h"

namespace korvex {
namespace {

void AppendLine(std::string& out, std::initializer_list<std::string_view> cells)
{
    bool first = true;
    for (const std::string_view cell : cells) {
        if (!first)
            out.push_back('\t');
        out += cell;
        first = false;
    }
    out.push_back('\n');
}

void AppendReading(std::string& out, const std::string& function, const TReadingStatistics& reading,
                   std::string_view sep)
{
    const TRunningStats& v = reading.values;
    const bool any = v.Count() > 0;
    const std::string none;
    AppendLine(out, {function, reading.name, std::to_string(v.Count()), std::to_string(reading.overRange),
                     any ? FormatPlain(v.Min(), sep) : none, any ? FormatPlain(v.Max(), sep) : none,
                     any ? FormatPlain(v.Mean(), sep) : none,
                     v.StdDev() ? FormatPlain(*v.StdDev(), sep) : none, UnitSymbol(reading.unit)});
}

}  // namespace

std::string StatisticsText(const TRecordStatistics& statistics, std::string_view decimalSep)
{
    std::string out;
    AppendLine(out, {"Function", "Reading", "Count", "Over range", "Minimum", "Maximum", "Mean",
                     "Standard deviation", "Unit"});
    for (const TFunctionStatistics& function : statistics.Functions()) {
        AppendReading(out, function.main.name, function.main, decimalSep);
        for (const TReadingStatistics& secondary : function.secondary)
            AppendReading(out, function.main.name, secondary, decimalSep);
    }

    const TFunctionStatistics* checked = statistics.ToleranceFunction();
    if (!checked || !checked->tolerance)
        return out;
    const TToleranceCheck& check = *checked->tolerance;
    const std::string unit(UnitSymbol(checked->main.unit));
    out.push_back('\n');
    AppendLine(out, {"Tolerance check", checked->main.name});
    AppendLine(out, {"Nominal", FormatPlain(check.Nominal(), decimalSep), unit});
    AppendLine(out, {"Tolerance", FormatPlain(check.TolerancePercent(), decimalSep), "%"});
    AppendLine(out, {"Inside", std::to_string(check.Inside())});
    AppendLine(out, {"Outside", std::to_string(check.Outside())});
    const std::optional<double> worst = check.WorstDeviation();
    AppendLine(out, {"Worst deviation", worst ? FormatPlain(*worst, decimalSep) : std::string(), "%"});
    AppendLine(out, {"Deviation from", "Deviation to", "Count"});
    const std::vector<std::int64_t>& bins = check.Bins();
    const int band = static_cast<int>(bins.size()) - 2;
    AppendLine(out, {"", FormatPlain(check.BinLow(0), decimalSep), std::to_string(bins.front())});
    for (int i = 0; i < band; ++i)
        AppendLine(out, {FormatPlain(check.BinLow(i), decimalSep), FormatPlain(check.BinLow(i + 1), decimalSep),
                         std::to_string(bins[static_cast<std::size_t>(i) + 1])});
    AppendLine(out, {FormatPlain(check.BinLow(band), decimalSep), "", std::to_string(bins.back())});
    return out;
}

}  // namespace korvex
