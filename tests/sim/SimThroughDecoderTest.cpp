#include "meter/MeterDecoder.h"
#include "sim/SimulatedMeter.h"
#include "sim/SimulatedStream.h"
#include "meter/NullMeterView.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::sim;

namespace {

class SilentView : public NullMeterView {
public:
    void AppendRecord(const TMeterState&) override { ++records; }
    int records = 0;
};

// The program's own data path reads every frame of a cycle, delivered in the bridge's chunks, as the
// reading the simulated meter meant.
TEST(SimThroughDecoder, ProgramDecodesEveryFrameAsMeant)
{
    TMeterState state;
    state.DecimalSep = ".";
    SilentView view;
    TMeterDecoder decoder(state, view);
    SimulatedStream stream;

    std::uint64_t received = 0;
    std::uint64_t checked = 0;
    for (std::uint64_t t = 0; checked < FramesPerCycle(); t += 70) {
        const std::vector<std::uint8_t> chunk = stream.Take(t, 2048);
        if (chunk.empty())
            continue;
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()), static_cast<std::uint32_t>(chunk.size()));
        received += chunk.size();
        const std::uint64_t complete = received / kFrameSize;
        if (complete == checked)
            continue;
        const std::uint64_t step = complete - 1;
        checked = complete;

        const SimReading r = ReadingAt(step);
        EXPECT_EQ(state.Hold, r.hold) << step;
        EXPECT_EQ(state.Rel, r.rel) << step;
        EXPECT_EQ(state.Lcr, r.lcr) << step;
        EXPECT_EQ(state.Auto, r.autoRange) << step;
        EXPECT_EQ(state.Parallel, r.parallel) << step;
        EXPECT_EQ(state.Battery, r.battery) << step;
        EXPECT_EQ(state.Freq, r.freq) << step;
        EXPECT_EQ(state.Tolerance, r.tolerance) << step;
        EXPECT_EQ(state.MainMode, r.mainMode) << step;
        EXPECT_EQ(state.MainRaw, r.mainRaw) << step;
        EXPECT_EQ(state.MainPoint, r.mainPoint) << step;
        EXPECT_EQ(state.MainUnit, r.mainUnit) << step;
        EXPECT_EQ(state.MainKind, r.mainKind) << step;
        EXPECT_EQ(state.MainRange, r.mainRange2000 ? 2000 : 20000) << step;
        EXPECT_EQ(state.SubMode, r.subMode) << step;
        EXPECT_EQ(state.SubRaw, r.subRaw) << step;
        EXPECT_EQ(state.SubPoint, r.subPoint) << step;
        EXPECT_EQ(state.SubUnit, r.subUnit) << step;
        EXPECT_EQ(state.SubKind, r.subKind) << step;
        EXPECT_EQ(state.SubRange, r.subRange2000 ? 2000 : 20000) << step;
    }
    EXPECT_EQ(view.records, static_cast<int>(FramesPerCycle()));
}

}  // namespace
