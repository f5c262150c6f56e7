#include "meter/MeterDecoder.h"
#include "meter/NullMeterView.h"
#include "records/RecordTable.h"
#include "sim/SimulatedMeter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace korvex;
using namespace korvex::sim;

namespace {

// What the program makes of each frame: the decoded state and the record row's texts.
struct Seen {
    TMeterState state;
    std::string mainMode, mainValue, mainUnit, subMode, subValue, subUnit;
};

class RowsView : public NullMeterView {
public:
    void AppendRecord(const TMeterState& state) override
    {
        seen.push_back({state, MainModeText(state.MainMode, state.Parallel), ReadingText(state.MainKind, state.MainText),
                        UnitText(state.MainUnit), SubModeText(state.SubMode, state.MainMode, state.Parallel),
                        ReadingText(state.SubKind, state.SubText), UnitText(state.SubUnit)});
    }
    std::vector<Seen> seen;
};

// Three cycles and a bit of the simulated meter's frames, through the program's decoder.
std::vector<Seen> LongRun()
{
    TMeterState state;
    state.DecimalSep = ".";
    RowsView view;
    TMeterDecoder decoder(state, view);
    for (std::uint64_t step = 0; step < 3 * FramesPerCycle() + 17; ++step) {
        const std::vector<std::uint8_t> frame = FrameAt(step);
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(frame.data()), static_cast<std::uint32_t>(frame.size()));
    }
    return std::move(view.seen);
}

// The units a reading of each function is shown in.
std::set<int> UnitsOf(int mainMode)
{
    switch (mainMode) {
    case mmL: return {uuH, umH, uH, ukH};
    case mmC: return {upF, unF, uuF, umF};
    case mmR:
    case mmDCR: return {uOhm, uKOhm, uMOhm};
    default: return {};
    }
}

std::set<int> SubUnitsOf(int subMode)
{
    switch (subMode) {
    case smD:
    case smQ: return {uNoneA};
    case smESR: return {uOhm, uKOhm, uMOhm};
    case smTheta: return {udeg};
    default: return {uNoneA};
    }
}

// Every frame is one a real meter sends: a function with its own unit, a number within the count range or
// a state word, a secondary reading only where the function has one, and sorting results only while
// sorting. So no row lacks a function or a value, and no unit stands without a value.
TEST(SimulatedMeterStates, EveryFrameOfALongRunIsAStateARealMeterShows)
{
    const std::vector<Seen> run = LongRun();
    ASSERT_EQ(run.size(), 3 * FramesPerCycle() + 17);
    const std::set<int> mainKinds = {rkNumber, rkDashes, rkOL, rkERR, rkOPEN, rkSHORT};
    const std::set<int> subKinds = {rkNumber, rkDashes, rkOL, rkERR};
    for (std::size_t i = 0; i < run.size(); ++i) {
        const TMeterState& s = run[i].state;
        SCOPED_TRACE("frame " + std::to_string(i) + ": " + run[i].mainMode + " " + run[i].mainValue + " " +
                     run[i].mainUnit + " | " + run[i].subMode + " " + run[i].subValue + " " + run[i].subUnit);
        EXPECT_TRUE(UnitsOf(s.MainMode).count(s.MainUnit));
        EXPECT_TRUE(mainKinds.count(s.MainKind));
        EXPECT_LE(s.Battery, 3);
        EXPECT_LE(s.Freq, tf100kHz);
        if (s.MainKind == rkNumber) {
            EXPECT_LE(s.MainPoint, 4);
            EXPECT_LT(s.MainRaw, s.MainRange);
        }
        if (s.MainMode == mmDCR) {
            EXPECT_EQ(s.SubMode, smNone);
            EXPECT_EQ(s.Parallel, 0);
        }
        if (s.MainMode == mmR || s.MainMode == mmDCR) {
            EXPECT_NE(s.SubMode, smESR);
        }
        if (s.Tolerance != 0) {
            EXPECT_TRUE(s.Tolerance >= 3 && s.Tolerance <= 10) << s.Tolerance;
            EXPECT_EQ(s.MainKind, rkNumber);
            EXPECT_TRUE(s.SubKind == rkPASS || s.SubKind == rkFAIL);
        } else if (s.SubMode == smNone) {
            EXPECT_EQ(s.SubKind, rkBlankA);
        } else {
            EXPECT_TRUE(subKinds.count(s.SubKind));
        }
        EXPECT_TRUE(SubUnitsOf(s.SubMode).count(s.SubUnit));
        if (s.SubKind == rkNumber) {
            EXPECT_LE(s.SubPoint, 4);
            EXPECT_LT(s.SubRaw, s.SubRange);
        }

        EXPECT_FALSE(run[i].mainMode.empty());
        EXPECT_FALSE(run[i].mainValue.empty());
        EXPECT_FALSE(run[i].mainUnit.empty());
        if (!run[i].subUnit.empty()) {
            EXPECT_FALSE(run[i].subMode.empty() || run[i].subValue.empty());
        }
        if (!run[i].subMode.empty()) {
            EXPECT_FALSE(run[i].subValue.empty());
        }
    }
}

// A demo run shows the meter as it is used: every function in series and parallel, every test frequency,
// every secondary reading, the units of every range, overload, dashes, sorting with both results, hold,
// relative readings, and readings that move from frame to frame.
TEST(SimulatedMeterStates, ALongRunShowsEveryFunctionUnitFrequencyAndState)
{
    std::set<int> modes, subModes, freqs, units, subUnits, kinds, results, parallels;
    bool hold = false, rel = false, heldStill = true;
    int moved = 0;
    const std::vector<Seen> run = LongRun();
    for (std::size_t i = 0; i < run.size(); ++i) {
        const TMeterState& s = run[i].state;
        modes.insert(s.MainMode);
        subModes.insert(s.SubMode);
        freqs.insert(s.Freq);
        units.insert(s.MainUnit);
        subUnits.insert(s.SubUnit);
        kinds.insert(s.MainKind);
        kinds.insert(s.SubKind);
        parallels.insert(s.Parallel);
        if (s.Tolerance != 0)
            results.insert(s.SubKind);
        hold |= s.Hold;
        rel |= s.Rel;
        if (i == 0)
            continue;
        const TMeterState& before = run[i - 1].state;
        const bool sameReading = s.MainMode == before.MainMode && s.MainUnit == before.MainUnit &&
                                 s.MainKind == rkNumber && before.MainKind == rkNumber;
        if (s.Hold && before.Hold)
            heldStill &= s.MainText == before.MainText && s.SubText == before.SubText;
        else if (sameReading && s.MainText != before.MainText)
            ++moved;
    }
    EXPECT_EQ(modes, (std::set<int>{mmL, mmC, mmR, mmDCR}));
    EXPECT_EQ(subModes, (std::set<int>{smNone, smD, smQ, smESR, smTheta}));
    EXPECT_EQ(freqs, (std::set<int>{tf100Hz, tf120Hz, tf1kHz, tf10kHz, tf100kHz}));
    EXPECT_EQ(units, (std::set<int>{uOhm, uKOhm, uMOhm, uuH, umH, uH, ukH, upF, unF, uuF, umF}));
    EXPECT_EQ(subUnits, (std::set<int>{uNoneA, uOhm, uKOhm, udeg}));
    EXPECT_TRUE(kinds.count(rkOL) && kinds.count(rkDashes));
    EXPECT_EQ(results, (std::set<int>{rkPASS, rkFAIL}));
    EXPECT_EQ(parallels, (std::set<int>{0, 1}));
    EXPECT_TRUE(hold && heldStill && rel);
    EXPECT_GT(moved, static_cast<int>(run.size()) / 2);
}

}  // namespace
