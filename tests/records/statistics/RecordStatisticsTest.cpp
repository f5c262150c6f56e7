#include <charconv>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "records/RecordStatistics.h"
#include "records/RecordTable.h"
#include "records/SiFormat.h"
#include "records/SiReading.h"
#include "records/StatisticsText.h"
#include "records/ToleranceCheck.h"

namespace korvex {
namespace {

double Parsed(const std::string& text)
{
    double value = std::nan("");
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

TEST(ReadingSiNumber, IsTheDoubleOfTheNumberTheCsvExportWrites)
{
    struct Case { const char* value; const char* unit; const char* sep; };
    const Case cases[] = {
        {"1.234", "nF", "."},       {"1,234", "nF", ","},         {",1234", "uF", ","},
        {"100.15", "uH", "."},      {"-89.50", "Deg", "."},       {"0.000", "pF", "."},
        {"-0.000", "Ohm", "."},     {"12.34", "KOhm", "."},       {"1.999", "MOhm", "."},
        {"19999", "pF", "."},       {"0.001", "mF", "."},         {"7", "kH", "."},
        {"12.5", "%", "."},         {"0.0123", "", "."},
        // More digits than a double holds exactly, and a power of ten past the exact ones.
        {"1234567890123456789", "pF", "."}, {"0.00000000000000000000001", "pF", "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + c.unit);
        const SiReading csv = MainReadingSi(c.value, c.unit, c.sep);
        const std::optional<SiNumber> number = ReadingSiNumber(c.value, c.unit, c.sep);
        ASSERT_TRUE(number.has_value());
        EXPECT_EQ(number->unit, csv.unit);
        EXPECT_EQ(number->value, Parsed(csv.value)) << csv.value;
    }
    for (const char* notANumber : {"OL", "-", "", "1.2.3", "1,234"})
        EXPECT_FALSE(ReadingSiNumber(notANumber, "nF", ".").has_value()) << notANumber;
    EXPECT_FALSE(ReadingSiNumber("1.234", "furlong", ".").has_value());
    EXPECT_FALSE(ReadingSiNumber("1.234", "nF", "").has_value());
}

TEST(FormatSi, FourSignificantDigitsWithThePrefixThatFits)
{
    struct Case { double value; const char* unit; const char* sep; const char* shown; };
    const Case cases[] = {
        {4.7123e-6, "F", ".", "4.712 \u00B5F"},
        {4.7e-6, "F", ",", "4,700 \u00B5F"},
        {999.96e-9, "F", ".", "1.000 \u00B5F"},
        {47120, "\u03A9", ".", "47.12 k\u03A9"},
        {1.5, "\u03A9", ".", "1.500 \u03A9"},
        {0.1, "H", ".", "100.0 mH"},
        {1.5e-15, "F", ".", "0.001500 pF"},
        {2.5e12, "\u03A9", ".", "2500 G\u03A9"},
        {0.0, "F", ".", "0.000 F"},
        {-0.0, "F", ".", "0.000 F"},
        {-89.5, "deg", ".", "-89.50\u00B0"},
        {0.012, "", ".", "0.01200"},
        {12346, "", ".", "12350"},
        {12.5, "%", ".", "12.50 %"},
        {std::nan(""), "F", ".", "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSi(c.value, c.unit, c.sep), c.shown) << c.value << " " << c.unit;
}

// One row of the record table as its texts (Windows-1252, as the table holds them).
struct Row {
    const char* mode;
    const char* value;
    const char* unit;
    const char* subMode = "";
    const char* subValue = "";
    const char* subUnit = "";
};

TTable TableOf(const std::vector<Row>& rows)
{
    TTable table = CreateRecordTable();
    for (const Row& r : rows) {
        table.Append();
        table.SetInteger(rfNO, table.RecordCount() + 1);
        table.SetText(rfMMode, r.mode);
        table.SetText(rfMValue, r.value);
        table.SetText(rfMUnit, r.unit);
        table.SetText(rfSMode, r.subMode);
        table.SetText(rfSValue, r.subValue);
        table.SetText(rfSUnit, r.subUnit);
        table.Post();
    }
    return table;
}

// What one reading's statistics should be.
struct Expected {
    const char* function;  // main function as shown
    const char* reading;   // the reading as shown (the function itself for the main reading)
    std::int64_t count;
    std::int64_t overRange;
    double min, max, mean;
    std::optional<double> stdDev;
    const char* unit;
};

const TReadingStatistics* Find(const TRecordStatistics& statistics, const Expected& e)
{
    for (const TFunctionStatistics& function : statistics.Functions()) {
        if (function.main.name != e.function)
            continue;
        if (function.main.name == e.reading)
            return &function.main;
        for (const TReadingStatistics& secondary : function.secondary)
            if (secondary.name == e.reading)
                return &secondary;
    }
    return nullptr;
}

void ExpectNear(double actual, double expected)
{
    EXPECT_NEAR(actual, expected, std::abs(expected) * 1e-12 + 1e-300);
}

TEST(RecordStatistics, GroupsReadingsByMainFunctionInSiUnits)
{
    struct Case {
        const char* name;
        std::vector<Row> rows;
        std::vector<Expected> expected;
        std::size_t functions;
    };
    const std::vector<Case> cases = {
        {"single row",
         {{"Cs", "4.712", "uF", "D", "0.012", ""}},
         {{"Cs", "Cs", 1, 0, 4.712e-6, 4.712e-6, 4.712e-6, std::nullopt, "F"},
          {"Cs", "D", 1, 0, 0.012, 0.012, 0.012, std::nullopt, ""}},
         1},
        {"identical rows",
         {{"Ls", "100.15", "uH"}, {"Ls", "100.15", "uH"}, {"Ls", "100.15", "uH"}},
         {{"Ls", "Ls", 3, 0, 100.15e-6, 100.15e-6, 100.15e-6, 0.0, "H"}},
         1},
        {"values across prefixes in one function",
         {{"Cp", "999.9", "nF"}, {"Cp", "1.001", "uF"}, {"Cp", "0.001", "mF"}},
         {{"Cp", "Cp", 3, 0, 999.9e-9, 1.001e-6, (999.9e-9 + 1.001e-6 + 1e-6) / 3, 0.6082763e-9, "F"}},
         1},
        {"mixed functions with over-range and dashed rows",
         {{"Cs", "1.000", "nF", "D", "0.010", ""},
          {"Rs", "12.34", "KOhm", "Q", "0.512", ""},
          {"Cs", "OL", "nF", "D", "-", ""},
          {"Cs", "3.000", "nF", "D", "0.030", ""},
          {"Rs", "-", "KOhm", "Q", "-", ""},
          {"Rs", "OL", "MOhm", "Q", "OL", ""},
          {"", "", "", "", "", ""}},
         {{"Cs", "Cs", 2, 1, 1e-9, 3e-9, 2e-9, std::sqrt(2.0) * 1e-9, "F"},
          {"Cs", "D", 2, 1, 0.010, 0.030, 0.020, std::sqrt(2.0) * 0.01, ""},
          {"Rs", "Rs", 1, 2, 12340, 12340, 12340, std::nullopt, "\u03A9"},
          {"Rs", "Q", 1, 2, 0.512, 0.512, 0.512, std::nullopt, ""}},
         2},
        {"negative phase angles and an ESR in ohms",
         {{"Cp", "10.00", "nF", "?", "-89.50", "Deg"},
          {"Cp", "10.00", "nF", "?", "-88.50", "Deg"},
          {"Cs", "10.00", "nF", "ESR", "1.5", "Ohm"},
          {"Cs", "10.00", "nF", "ESR", "0.015", "KOhm"}},
         {{"Cp", "\u03B8", 2, 0, -89.5, -88.5, -89.0, std::sqrt(0.5), "deg"},
          {"Cs", "ESR", 2, 0, 1.5, 15, 8.25, std::sqrt(91.125), "\u03A9"}},
         2},
        {"a reading in another unit than the function's first",
         {{"Rs", "1.000", "KOhm"}, {"Rs", "5.0", "%"}},
         {{"Rs", "Rs", 1, 1, 1000, 1000, 1000, std::nullopt, "\u03A9"}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TTable table = TableOf(c.rows);
        // Row by row as logging adds them, and in one go as after Open: both give the same figures.
        TRecordStatistics oneByOne(table, ".");
        for (int row = 0; row < table.RecordCount(); ++row)
            oneByOne.Add(row);
        TRecordStatistics recomputed(table, ".");
        recomputed.Recompute(table.RecordCount());
        for (const TRecordStatistics* statistics : {&oneByOne, &recomputed}) {
            EXPECT_EQ(statistics->RowsSeen(), table.RecordCount());
            EXPECT_EQ(statistics->Functions().size(), c.functions);
            for (const Expected& e : c.expected) {
                SCOPED_TRACE(std::string(e.function) + " " + e.reading);
                const TReadingStatistics* reading = Find(*statistics, e);
                ASSERT_NE(reading, nullptr);
                EXPECT_EQ(reading->values.Count(), e.count);
                EXPECT_EQ(reading->overRange, e.overRange);
                EXPECT_EQ(reading->unit, e.unit);
                ExpectNear(reading->values.Min(), e.min);
                ExpectNear(reading->values.Max(), e.max);
                ExpectNear(reading->values.Mean(), e.mean);
                ASSERT_EQ(reading->values.StdDev().has_value(), e.stdDev.has_value());
                if (e.stdDev) {
                    EXPECT_NEAR(*reading->values.StdDev(), *e.stdDev, *e.stdDev * 1e-6 + 1e-15);
                }
            }
        }
    }
}

TEST(RunningStats, SpreadStaysAccurateForCloseValuesFarFromZero)
{
    // A batch of 4.7 µF parts a tenth of a pF apart: a sum of squares would lose the spread to cancellation.
    std::vector<double> values;
    for (int i = 0; i < 100000; ++i)
        values.push_back(4.7e-6 + (i % 7) * 1e-13);
    TRunningStats stats;
    for (const double v : values)
        stats.Add(v);
    const long double mean = std::accumulate(values.begin(), values.end(), 0.0L) / values.size();
    long double squares = 0;
    for (const double v : values)
        squares += (v - mean) * (v - mean);
    const double twoPass = static_cast<double>(std::sqrt(squares / (values.size() - 1)));
    ASSERT_TRUE(stats.StdDev().has_value());
    EXPECT_NEAR(*stats.StdDev(), twoPass, twoPass * 1e-6);
    EXPECT_NEAR(stats.Mean(), static_cast<double>(mean), 4.7e-6 * 1e-12);
}

TEST(ParseNominal, ReadsNumberPrefixAndUnitOrSaysWhatIsWrong)
{
    struct Case { const char* text; std::optional<double> value; const char* unit; };
    const Case cases[] = {
        {"4.7u", 4.7e-6, ""},
        {"4.7\u00B5", 4.7e-6, ""},
        {"4.7 uF", 4.7e-6, "F"},
        {"4.7 \u00B5F", 4.7e-6, "F"},
        {"4.7\u03BCF", 4.7e-6, "F"},
        {"470n", 470e-9, ""},
        {"4,7u", 4.7e-6, ""},
        {" 2.2 mH ", 2.2e-3, "H"},
        {"10uh", 10e-6, "H"},
        {"1.5 kOhm", 1500, "\u03A9"},
        {"1M\u03A9", 1e6, "\u03A9"},
        {"100 \u2126", 100, "\u03A9"},
        {"4.7e-6F", 4.7e-6, "F"},
        {"3.3", 3.3, ""},
        {"abc", std::nullopt, ""},
        {"4.7x", std::nullopt, ""},
        {"4.7 uX", std::nullopt, ""},
        {"4.7 u F", std::nullopt, ""},
        {"u", std::nullopt, ""},
        {"-4.7u", std::nullopt, ""},
        {"0", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TNominalInput input = ParseNominal(c.text);
        ASSERT_EQ(input.nominal.has_value(), c.value.has_value());
        if (c.value) {
            EXPECT_NEAR(input.nominal->value, *c.value, *c.value * 1e-12);
            EXPECT_EQ(input.nominal->unit, c.unit);
            EXPECT_EQ(input.hint, "");
        } else {
            EXPECT_NE(input.hint, "");
        }
    }
    // Nothing typed asks for no check, and is no mistake.
    const TNominalInput empty = ParseNominal("  ");
    EXPECT_FALSE(empty.nominal.has_value());
    EXPECT_EQ(empty.hint, "");
}

TEST(ParseTolerance, TakesAPercentageAboveZeroUpToAHundred)
{
    struct Case { const char* text; std::optional<double> percent; };
    const Case cases[] = {
        {"5", 5.0}, {"5 %", 5.0}, {"\u00B10.5%", 0.5}, {"1,5", 1.5}, {"100", 100.0},
        {"0", std::nullopt}, {"101", std::nullopt}, {"", std::nullopt}, {"five", std::nullopt}, {"5x", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TToleranceInput input = ParseTolerance(c.text);
        EXPECT_EQ(input.percent, c.percent);
        EXPECT_EQ(input.hint.empty(), c.percent.has_value());
    }
}

TEST(ToleranceCheck, CountsInsideAndOutsideAndBinsTheDeviations)
{
    TToleranceCheck check(4.7e-6, 5.0);
    EXPECT_EQ(check.BinWidth(), 1.0);
    EXPECT_FALSE(check.WorstDeviation().has_value());
    for (const double deviation : {-6.0, -5.0, -0.5, 0.0, 0.5, 4.99, 5.0, 7.0})
        check.Add(4.7e-6 * (1 + deviation / 100));
    EXPECT_EQ(check.Inside(), 6);
    EXPECT_EQ(check.Outside(), 2);
    ASSERT_TRUE(check.WorstDeviation().has_value());
    EXPECT_NEAR(*check.WorstDeviation(), 7.0, 1e-9);
    // Below, ten bins of 1 % from -5 % to +5 %, above; the limits themselves fall in the outer band bins.
    const std::vector<std::int64_t> bins = {1, 1, 0, 0, 0, 1, 2, 0, 0, 0, 2, 1};
    EXPECT_EQ(check.Bins(), bins);
    EXPECT_EQ(check.BinLow(0), -5.0);
    EXPECT_EQ(check.BinLow(10), 5.0);

    check.Clear();
    EXPECT_EQ(check.Inside() + check.Outside(), 0);
    EXPECT_EQ(check.Bins(), std::vector<std::int64_t>(12, 0));
}

TEST(ToleranceCheck, BinsGetFinerBelowFivePercent)
{
    struct Case { double tolerance; double width; std::size_t bins; };
    const Case cases[] = {{20, 1, 42}, {5, 1, 12}, {4, 0.5, 18}, {2.5, 0.5, 12}, {1, 0.2, 12},
                          {0.5, 0.1, 12}, {0.1, 0.02, 12}, {7.5, 1, 18}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tolerance);
        const TToleranceCheck check(1.0, c.tolerance);
        EXPECT_DOUBLE_EQ(check.BinWidth(), c.width);
        EXPECT_EQ(check.Bins().size(), c.bins);
        // The band's outer bins end at the limits, a whole number of bins or not.
        EXPECT_DOUBLE_EQ(check.BinLow(0), -c.tolerance);
        EXPECT_DOUBLE_EQ(check.BinLow(static_cast<int>(c.bins) - 2), c.tolerance);
    }
}

TEST(RecordStatistics, ChecksTheLatestFunctionInTheNominalsUnit)
{
    const TTable table = TableOf({{"Cs", "4.600", "uF"}, {"Cs", "4.900", "uF"}, {"Ls", "4.700", "uH"},
                                  {"Cs", "OL", "uF"}, {"Cp", "5.000", "uF"}});
    struct Case { const char* nominal; const char* checked; std::int64_t inside, outside; };
    const Case cases[] = {
        {"4.7uF", "Cp", 0, 1},  // Cs and Cp are in farads; Cp was measured last
        {"4.7uH", "Ls", 1, 0},
        {"4.7u", "Cp", 0, 1},  // no unit: the last function measured
        {"4.7 Ohm", nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nominal);
        TRecordStatistics statistics(table, ".");
        statistics.SetTolerance(ParseNominal(c.nominal).nominal, 5.0);
        statistics.Recompute(table.RecordCount());
        const TFunctionStatistics* checked = statistics.ToleranceFunction();
        if (!c.checked) {
            EXPECT_EQ(checked, nullptr);
            continue;
        }
        ASSERT_NE(checked, nullptr);
        EXPECT_EQ(checked->main.name, c.checked);
        ASSERT_TRUE(checked->tolerance.has_value());
        EXPECT_EQ(checked->tolerance->Inside(), c.inside);
        EXPECT_EQ(checked->tolerance->Outside(), c.outside);
    }
    TRecordStatistics cs(table, ".");
    cs.SetTolerance(ParseNominal("4.7uF").nominal, 5.0);
    cs.Recompute(2);
    ASSERT_NE(cs.ToleranceFunction(), nullptr);
    EXPECT_EQ(cs.ToleranceFunction()->tolerance->Inside(), 2);
}

TEST(StatisticsText, TabSeparatedFiguresInSiUnitsForASpreadsheet)
{
    const TTable table = TableOf({{"Cs", "4,600", "uF", "D", "0,010", ""},
                                  {"Cs", "5,000", "uF", "D", "OL", ""},
                                  {"Cs", "OL", "uF", "D", "OL", ""}});
    TRecordStatistics statistics(table, ",");
    statistics.SetTolerance(ParseNominal("4,7u").nominal, 5.0);
    statistics.Recompute(table.RecordCount());
    const std::string text = StatisticsText(statistics, ",");
    EXPECT_EQ(text,
              "Function\tReading\tCount\tOver range\tMinimum\tMaximum\tMean\tStandard deviation\tUnit\n"
              "Cs\tCs\t2\t1\t4,6e-06\t5e-06\t4,8e-06\t2,828427125e-07\tF\n"
              "Cs\tD\t1\t2\t0,01\t0,01\t0,01\t\t\n"
              "\n"
              "Tolerance check\tCs\n"
              "Nominal\t4,7e-06\tF\n"
              "Tolerance\t5\t%\n"
              "Inside\t1\n"
              "Outside\t1\n"
              "Worst deviation\t6,382978723\t%\n"
              "Deviation from\tDeviation to\tCount\n"
              "\t-5\t0\n"
              "-5\t-4\t0\n"
              "-4\t-3\t0\n"
              "-3\t-2\t1\n"
              "-2\t-1\t0\n"
              "-1\t0\t0\n"
              "0\t1\t0\n"
              "1\t2\t0\n"
              "2\t3\t0\n"
              "3\t4\t0\n"
              "4\t5\t0\n"
              "5\t\t1\n");
}

}  // namespace
}  // namespace korvex
