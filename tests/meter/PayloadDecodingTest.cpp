#include <gtest/gtest.h>

#include "meter/FrameBytes.h"
#include "meter/MeterDecoder.h"
#include "meter/RecordingMeterView.h"

namespace korvex::test {
namespace {

using Log = std::vector<std::string>;

class PayloadDecoding : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.DecimalSep = ".";
        state.UnitTexts = DefaultUnitTexts();
    }

    TMeterState state;
    RecordingMeterView view;
    TMeterDecoder decoder{state, view};
};

TEST_F(PayloadDecoding, WorkedExampleDecodesEveryFieldAndDrivesThePanelInOrder)
{
    decoder.DecodePayload(ExamplePayload);

    EXPECT_EQ(state.Parallel, 0);
    EXPECT_EQ(state.Battery, 3);
    EXPECT_EQ(state.Freq, tf1kHz);
    EXPECT_EQ(state.Tolerance, 0);
    EXPECT_EQ(state.MainMode, mmC);
    EXPECT_EQ(state.MainRaw, 1234);
    EXPECT_EQ(state.MainPoint, 3);
    EXPECT_EQ(state.MainUnit, unF);
    EXPECT_EQ(state.MainKind, rkNumber);
    EXPECT_EQ(state.MainRange, 20000);
    EXPECT_EQ(state.SubMode, smD);
    EXPECT_EQ(state.SubRaw, 12);
    EXPECT_EQ(state.SubPoint, 3);
    EXPECT_EQ(state.SubUnit, uNoneA);
    EXPECT_EQ(state.SubKind, rkNumber);
    EXPECT_EQ(state.SubRange, 20000);
    EXPECT_EQ(state.MainText, "1.234");
    EXPECT_EQ(state.SubText, "0.012");
    EXPECT_EQ(state.LastMainText, "1.234");

    // Fields that are still 0 (hold, sub unit, tolerance ...) were already 0: no update for them.
    EXPECT_EQ(view.log, (Log{"UpdatePanel MainUnit", "UpdatePanel Auto", "UpdatePanel Battery",
                             "UpdatePanel Frequency", "UpdatePanel MainMode", "UpdatePanel MainReadout",
                             "ChartAddValue 1.234", "SetCurrentPageText 1", "UpdatePanel SubMode",
                             "UpdatePanel SubReadout", "ChartSetVerticalMin -20", "ChartSetVerticalMax 20",
                             "UpdatePanel BarMaximum", "RepeatTicked", "IntervalTimerEnabled",
                             "AppendRecord 1.234"}));

    // The same frame again: only the every-frame updates run.
    view.ClearLog();
    view.page = 7;
    decoder.DecodePayload(ExamplePayload);
    EXPECT_EQ(view.log, (Log{"UpdatePanel Auto", "UpdatePanel MainMode", "UpdatePanel MainReadout",
                             "ChartAddValue 1.234", "SetCurrentPageText 7", "UpdatePanel SubMode",
                             "UpdatePanel SubReadout", "ChartSetVerticalMin -20", "ChartSetVerticalMax 20",
                             "UpdatePanel BarMaximum", "RepeatTicked", "IntervalTimerEnabled",
                             "AppendRecord 1.234"}));
}

TEST_F(PayloadDecoding, EveryBitSetGivesTheHighestCodesAndOutOfTableCodesKeepTheTexts)
{
    decoder.DecodePayload(ExamplePayload);
    view.ClearLog();
    decoder.DecodePayload("FFFFFFFFFFFFFFFFFFFFFFFFFF");

    EXPECT_TRUE(state.Hold && state.Rel && state.Lcr && state.Auto);
    EXPECT_EQ(state.Parallel, 1);
    EXPECT_EQ(state.Battery, 3);
    EXPECT_EQ(state.Freq, 7);
    EXPECT_EQ(state.Tolerance, 15);
    EXPECT_EQ(state.MainMode, 7);
    EXPECT_EQ(state.MainRaw, 65535);
    EXPECT_EQ(state.MainPoint, 7);
    EXPECT_EQ(state.MainUnit, 31);
    EXPECT_EQ(state.MainKind, 31);
    EXPECT_EQ(state.MainRange, 2000);
    EXPECT_EQ(state.SubMode, 7);
    EXPECT_EQ(state.SubRaw, 65535);
    EXPECT_EQ(state.SubPoint, 7);
    EXPECT_EQ(state.SubUnit, 31);
    EXPECT_EQ(state.SubKind, 31);
    EXPECT_EQ(state.SubRange, 2000);

    // Decimal-point codes 5..7 leave the texts of the previous frame; their full scale is 0.
    EXPECT_EQ(state.MainText, "1.234");
    EXPECT_EQ(state.SubText, "0.012");
    EXPECT_EQ(view.chartValues, (std::vector<double>{0.0}));
    EXPECT_EQ(view.Count("ChartSetVerticalMin 0"), 1);
    EXPECT_EQ(view.Count("ChartSetVerticalMax 0"), 1);

    // Unit codes outside the caption table still reach the view, which shows an empty caption for them.
    EXPECT_EQ(view.Count("UpdatePanel MainUnit"), 1);
    EXPECT_EQ(view.Count("UpdatePanel SubUnit"), 1);
    EXPECT_EQ(UnitCaption(state.UnitTexts, state.MainUnit), u"");
    EXPECT_EQ(UnitCaption(state.UnitTexts, udeg), u"deg");
    for (const char* update : {"Hold", "Rel", "Lcr", "Battery", "Frequency", "Tolerance"})
        EXPECT_EQ(view.Count(std::string("UpdatePanel ") + update), update == std::string("Battery") ? 0 : 1)
            << update;
}

TEST_F(PayloadDecoding, UnreadBitsAreIgnored)
{
    // Byte 1 bits 1, 3, 4; byte 2 bits 0-2; byte 3 bits 4-7; bytes 4 and 9 bits 3-7; bytes 8 and 13 bits 5-6.
    decoder.DecodePayload("1A07F0F8000000600000000060");
    EXPECT_FALSE(state.Hold || state.Rel || state.Lcr || state.Auto);
    EXPECT_EQ(state.Parallel, 0);
    EXPECT_EQ(state.Battery, 0);
    EXPECT_EQ(state.Freq, 0);
    EXPECT_EQ(state.Tolerance, 0);
    EXPECT_EQ(state.MainMode, 0);
    EXPECT_EQ(state.MainKind, 0);
    EXPECT_EQ(state.SubMode, 0);
    EXPECT_EQ(state.SubKind, 0);
    EXPECT_EQ(view.Count("UpdatePanel Hold") + view.Count("UpdatePanel Battery") +
                  view.Count("UpdatePanel Frequency") + view.Count("UpdatePanel Tolerance") +
                  view.Count("UpdatePanel MainUnit") + view.Count("UpdatePanel SubUnit"),
              0);
}

TEST_F(PayloadDecoding, NonHexadecimalFieldsReadAsZeroAndOtherLengthsAreIgnored)
{
    decoder.DecodePayload("0058000204G2530001000C0300");
    EXPECT_EQ(state.MainRaw, 0);
    EXPECT_EQ(state.MainText, "0.000");
    view.ClearLog();
    decoder.DecodePayload(std::string(ExamplePayload) + "00");
    decoder.DecodePayload(ExamplePayload.substr(0, 25));
    EXPECT_TRUE(view.log.empty());
}

struct ReadingCase {
    const char* name;
    std::string separator;
    PayloadFields fields;
    std::string mainText;
    std::string subText;
    double chartValue;
    double fullScale;
};

class Readings : public PayloadDecoding, public ::testing::WithParamInterface<ReadingCase> {};

TEST_P(Readings, TextsChartValueAndLimits)
{
    const ReadingCase& c = GetParam();
    state.DecimalSep = c.separator;
    decoder.DecodePayload(PayloadHex(c.fields));
    EXPECT_EQ(state.MainText, c.mainText);
    EXPECT_EQ(state.SubText, c.subText);
    ASSERT_EQ(view.chartValues.size(), 1u);
    EXPECT_DOUBLE_EQ(view.chartValues[0], c.chartValue);
    EXPECT_EQ(view.Lines("ChartSetVerticalM"),
              (Log{"ChartSetVerticalMin " + std::to_string(static_cast<int>(-c.fullScale)),
                   "ChartSetVerticalMax " + std::to_string(static_cast<int>(c.fullScale))}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Readings,
    ::testing::Values(
        ReadingCase{"MainPoint4DropsLeadingZero", ".", {.mainRaw = 1234, .mainPoint = 4, .subRaw = 1234, .subPoint = 4},
                    ".1234", "0.123", 0.1234, 2},
        ReadingCase{"MainPoint4KeepsFiveDigits", ".", {.mainRaw = 12345, .mainPoint = 4}, "1.2345", "0", 1.2345, 2},
        ReadingCase{"SubTextCutToFiveCharacters", ".", {.mainRaw = 7, .subRaw = 12345, .subPoint = 3},
                    "7", "12.34", 7, 20000},
        ReadingCase{"SubTextOfFiveDigitsStays", ".", {.mainRaw = 0, .mainPoint = 2, .subRaw = 12345}, "0.00",
                    "12345", 0, 200},
        ReadingCase{"LargeCountsKeepAllDigits", ".", {.mainRaw = 65535, .mainPoint = 1, .subRaw = 65535, .subPoint = 1},
                    "6553.5", "6553.", 6553.5, 2000},
        ReadingCase{"CommaSeparator", ",", {.mainRaw = 1234, .mainPoint = 3, .subRaw = 12, .subPoint = 3}, "1,234",
                    "0,012", 1.234, 20},
        ReadingCase{"CommaSeparatorSubTextCut", ",", {.mainRaw = 1, .mainPoint = 4, .subRaw = 65535, .subPoint = 1},
                    ",0001", "6553,", 0.0001, 2},
        ReadingCase{"OverloadChartsFullScale", ".", {.mainRaw = 1234, .mainPoint = 2, .mainKind = rkOL}, "12.34",
                    "0", 200, 200},
        ReadingCase{"OverloadWithPointCode5ChartsZero", ".", {.mainRaw = 1234, .mainPoint = 5, .mainKind = rkOL}, "",
                    "0", 0, 0},
        ReadingCase{"ErrorChartsZero", ".", {.mainRaw = 1234, .mainPoint = 1, .mainKind = rkERR}, "123.4", "0", 0,
                    2000},
        ReadingCase{"NumberBeforeAnyTextChartsZero", ".", {.mainRaw = 1234, .mainPoint = 6}, "", "0", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PayloadDecoding, ChangeOfKindAloneDoesNotPassTheChangeTest)
{
    view.repeatTicked = false;
    decoder.DecodePayload(PayloadHex({.mainRaw = 1234, .mainPoint = 3}));
    decoder.DecodePayload(PayloadHex({.mainRaw = 1234, .mainPoint = 3, .mainKind = rkOL}));
    EXPECT_EQ(view.recordedMainTexts, (Log{"1.234"}));
    EXPECT_DOUBLE_EQ(view.chartValues.back(), 20);
}

}  // namespace
}  // namespace korvex::test
