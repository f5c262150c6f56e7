#include <gtest/gtest.h>

#include "meter/FrameBytes.h"
#include "meter/MeterDecoder.h"
#include "meter/RecordingMeterView.h"

namespace korvex::test {
namespace {

using Texts = std::vector<std::string>;

// One step of a session: a frame with a main count (point 3), or a tick of the sampling interval timer.
struct Step {
    int mainRaw;  // -1: a timer tick instead of a frame
};
constexpr Step Tick{-1};

struct GateCase {
    const char* name;
    bool repeat;
    bool timer;
    Texts rows;  // main texts recorded over the session below
};

class RecordGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(RecordGate, RepeatAndIntervalDecideWhichFramesAreRecorded)
{
    const GateCase& c = GetParam();
    TMeterState state;
    state.DecimalSep = ".";
    RecordingMeterView view;
    view.repeatTicked = c.repeat;
    view.intervalTimerEnabled = c.timer;
    TMeterDecoder decoder(state, view);

    // A, A, tick, A, B, B, tick, tick, B, C
    const Step session[] = {{1000}, {1000}, Tick, {1000}, {2000}, {2000}, Tick, Tick, {2000}, {3000}};
    for (const Step& step : session) {
        if (step.mainRaw < 0)
            state.IntervalTick = true;
        else
            decoder.DecodePayload(PayloadHex({.mainRaw = step.mainRaw, .mainPoint = 3}));
    }
    EXPECT_EQ(view.recordedMainTexts, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, RecordGate,
    ::testing::Values(
        GateCase{"RepeatWithoutTimerRecordsEveryFrame", true, false,
                 {"1.000", "1.000", "1.000", "2.000", "2.000", "2.000", "3.000"}},
        GateCase{"RepeatWithTimerRecordsTheFirstFrameAfterEachTick", true, true, {"1.000", "2.000"}},
        GateCase{"ChangesOnlyWithoutTimer", false, false, {"1.000", "2.000", "3.000"}},
        // A tick during a steady reading waits for the next change; the first frame is seen before any tick.
        GateCase{"ChangesOnlyWithTimerRecordTheFirstChangeAfterATick", false, true, {"2.000", "3.000"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordGateTick, StoppedAtTheChangeTestTheTickIsKeptOtherwiseCleared)
{
    TMeterState state;
    state.DecimalSep = ".";
    RecordingMeterView view;
    view.repeatTicked = false;
    view.intervalTimerEnabled = true;
    TMeterDecoder decoder(state, view);
    const std::string frame = PayloadHex({.mainRaw = 1000, .mainPoint = 3});

    decoder.DecodePayload(frame);
    state.IntervalTick = true;
    decoder.DecodePayload(frame);
    EXPECT_TRUE(state.IntervalTick);

    view.repeatTicked = true;
    decoder.DecodePayload(frame);
    EXPECT_FALSE(state.IntervalTick);
    EXPECT_EQ(view.recordedMainTexts, (Texts{"1.000"}));
}

struct CapacitanceCase {
    const char* name;
    PayloadFields fields;
    std::string shown;  // MainText after the frame, as recorded and shown
    bool truncated;
};

class CapacitanceRule : public ::testing::TestWithParam<CapacitanceCase> {};

TEST_P(CapacitanceRule, ParallelCapacitanceAtLowFrequencyIsShownAndRecordedWhole)
{
    const CapacitanceCase& c = GetParam();
    TMeterState state;
    state.DecimalSep = ",";
    RecordingMeterView view;
    view.repeatTicked = false;
    TMeterDecoder decoder(state, view);

    const std::string frame = PayloadHex(c.fields);
    decoder.DecodePayload(frame);
    EXPECT_EQ(state.MainText, c.shown);
    EXPECT_EQ(state.LastMainText, c.shown);
    EXPECT_EQ(view.recordedMainTexts, (Texts{c.shown}));
    EXPECT_EQ(view.Count("UpdatePanel MainText"), c.truncated ? 1 : 0);
    if (c.truncated) {
        EXPECT_EQ(view.readoutTexts.back(), c.shown);
    }

    // The chart had the reading with its decimals; the next identical frame differs from the whole number
    // kept as the last text, so it passes the change test although Repeat is not ticked.
    decoder.DecodePayload(frame);
    EXPECT_EQ(view.recordedMainTexts.size(), c.truncated ? 2u : 1u);
    EXPECT_DOUBLE_EQ(view.chartValues.front(), c.fields.mainRaw / 100.0);
}

constexpr int Parallel = 0x80;

INSTANTIATE_TEST_SUITE_P(
    Cases, CapacitanceRule,
    ::testing::Values(
        CapacitanceCase{"Cp100Hz", {.flags = Parallel, .freq = tf100Hz, .mainMode = mmC, .mainRaw = 12345, .mainPoint = 2},
                        "123", true},
        CapacitanceCase{"Cp120HzCutsTowardZero",
                        {.flags = Parallel, .freq = tf120Hz, .mainMode = mmC, .mainRaw = 1999, .mainPoint = 2},
                        "19", true},
        CapacitanceCase{"Cs100Hz", {.freq = tf100Hz, .mainMode = mmC, .mainRaw = 12345, .mainPoint = 2}, "123,45", false},
        CapacitanceCase{"Cp1kHz", {.flags = Parallel, .freq = tf1kHz, .mainMode = mmC, .mainRaw = 12345, .mainPoint = 2},
                        "123,45", false},
        CapacitanceCase{"Lp100Hz", {.flags = Parallel, .freq = tf100Hz, .mainMode = mmL, .mainRaw = 12345, .mainPoint = 2},
                        "123,45", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CapacitanceRuleKind, OnlyANumberReadingIsCut)
{
    TMeterState state;
    state.DecimalSep = ".";
    RecordingMeterView view;
    TMeterDecoder decoder(state, view);
    decoder.DecodePayload(
        PayloadHex({.flags = 0x80, .mainMode = mmC, .mainRaw = 12345, .mainPoint = 2, .mainKind = rkOL}));
    EXPECT_EQ(state.MainText, "123.45");
    EXPECT_EQ(view.Count("UpdatePanel MainText"), 0);
}

}  // namespace
}  // namespace korvex::test
