#include "records/RecordStatistics.h"

#include "meter/Windows1252.h"
#include "records/SiReading.h"

namespace korvex {
namespace {

constexpr std::array<const char*, 6> kFieldNames = {"aMMode", "aMValue", "aMUnit", "aSMode", "aSValue", "aSUnit"};
enum : std::size_t { kMMode, kMValue, kMUnit, kSMode, kSValue, kSUnit };

// Function and unit texts are a few bytes: a plain loop beats a call to memcmp.
bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// The table's 8-bit code page has no theta: the phase angle's function is stored as "?", which no other
// secondary function text holds.
std::string ShownName(std::string_view key)
{
    if (key == "?")
        return "\u03B8";
    return FromWindows1252(key).toStdString();
}

}  // namespace

TRecordStatistics::TRecordStatistics(const TTable& table, std::string decimalSep)
    : table_(table)
    , decimalSep_(std::move(decimalSep))
{
    // The record table's six reading fields, in its order; any other table gives no statistics.
    int previous = -1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const int field = table_.FindField(kFieldNames[i]);
        valid_ = valid_ && field > previous && table_.Fields()[static_cast<std::size_t>(field)].type == FieldType::Text;
        fields_[i] = previous = field;
    }
}

void TRecordStatistics::Add(int row)
{
    ++rowsSeen_;
    if (!valid_)
        return;
    std::array<std::string_view, kFieldNames.size()> text;
    table_.Texts(row, fields_, text);
    const std::string_view mainName = text[kMMode];
    // A row without a main function (the meter showing nothing) belongs to no group.
    if (mainName.empty())
        return;
    TFunctionStatistics& function = FunctionNamed(mainName);
    if (const std::optional<double> value = AddReading(function.main, text[kMValue], text[kMUnit])) {
        function.lastNumericRow = row;
        if (nominal_ && !function.tolerance && Matches(function))
            function.tolerance.emplace(nominal_->value, tolerancePercent_);
        if (function.tolerance)
            function.tolerance->Add(*value);
    }
    const std::string_view subName = text[kSMode];
    if (!subName.empty())
        AddReading(ReadingNamed(function.secondary, subName), text[kSValue], text[kSUnit]);
}

std::optional<double> TRecordStatistics::AddReading(TReadingStatistics& reading, std::string_view value,
                                                    std::string_view unit)
{
    const std::optional<SiNumber> number = ReadingSiNumber(value, unit, decimalSep_);
    if (!number || (reading.values.Count() > 0 && !SameText(number->unit, reading.unit))) {
        ++reading.overRange;
        return std::nullopt;
    }
    if (reading.values.Count() == 0)
        reading.unit = number->unit;
    const double si = number->value;
    reading.values.Add(si);
    return si;
}

void TRecordStatistics::Recompute(int rows)
{
    Clear();
    for (int row = 0; row < rows; ++row)
        Add(row);
}

void TRecordStatistics::Clear()
{
    functions_.clear();
    rowsSeen_ = 0;
}

void TRecordStatistics::SetTolerance(std::optional<TNominal> nominal, double tolerancePercent)
{
    nominal_ = std::move(nominal);
    tolerancePercent_ = tolerancePercent;
}

bool TRecordStatistics::Matches(const TFunctionStatistics& function) const
{
    return nominal_ && function.main.values.Count() > 0 &&
           (nominal_->unit.empty() || nominal_->unit == function.main.unit);
}

const TFunctionStatistics* TRecordStatistics::ToleranceFunction() const
{
    const TFunctionStatistics* latest = nullptr;
    for (const TFunctionStatistics& function : functions_)
        if (Matches(function) && (!latest || function.lastNumericRow > latest->lastNumericRow))
            latest = &function;
    return latest;
}

TFunctionStatistics& TRecordStatistics::FunctionNamed(std::string_view name)
{
    for (TFunctionStatistics& function : functions_)
        if (SameText(function.main.key, name))
            return function;
    TFunctionStatistics& added = functions_.emplace_back();
    added.main.key = std::string(name);
    added.main.name = ShownName(name);
    return added;
}

TReadingStatistics& TRecordStatistics::ReadingNamed(std::vector<TReadingStatistics>& readings, std::string_view name)
{
    for (TReadingStatistics& reading : readings)
        if (SameText(reading.key, name))
            return reading;
    TReadingStatistics& added = readings.emplace_back();
    added.key = std::string(name);
    added.name = ShownName(name);
    return added;
}

}  // namespace korvex
