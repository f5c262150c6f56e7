#include "sim/SimulatedMeter.h"
#include "sim/SimulatedStream.h"

#include <gtest/gtest.h>

#include <cmath>

#include <set>

using namespace korvex;
using namespace korvex::sim;

namespace {

// The fields of a frame read back by the payload layout, independently of the encoder.
struct Decoded {
    int hold, rel, lcr, autoRange, parallel, battery, freq, tolerance, mainMode, mainRaw, mainPoint, mainUnit,
        mainKind, mainRange2000, subMode, subRaw, subPoint, subUnit, subKind, subRange2000;
};

Decoded Decode(const std::vector<std::uint8_t>& f)
{
    const std::uint8_t* p = f.data() + 2;
    return Decoded{p[0] & 1,          (p[0] >> 2) & 1,         (p[0] >> 5) & 1,  (p[0] >> 6) & 1,
                   (p[0] >> 7) & 1,   (p[1] >> 3) & 3,         (p[1] >> 5) & 7,  p[2] & 0x0F,
                   p[3] & 7,          (p[4] << 8) | p[5],      p[6] & 7,         p[6] >> 3,
                   p[7] & 0x1F,       p[7] >> 7,               p[8] & 7,         (p[9] << 8) | p[10],
                   p[11] & 7,         p[11] >> 3,              p[12] & 0x1F,     p[12] >> 7};
}

TEST(SimulatedMeter, EncodesTheWorkedExamplePayload)
{
    SimReading r;
    r.lcr = false;
    r.autoRange = false;
    r.battery = 3;
    r.freq = tf1kHz;
    r.mainMode = mmC;
    r.mainRaw = 1234;
    r.mainPoint = 3;
    r.mainUnit = unF;
    r.mainKind = rkNumber;
    r.subMode = smD;
    r.subRaw = 12;
    r.subPoint = 3;
    r.subUnit = uNoneA;
    r.subKind = rkNumber;
    const auto payload = EncodePayload(r);
    const std::array<std::uint8_t, 13> expected = {0x00, 0x58, 0x00, 0x02, 0x04, 0xD2, 0x53,
                                                   0x00, 0x01, 0x00, 0x0C, 0x03, 0x00};
    EXPECT_EQ(payload, expected);
}

TEST(SimulatedMeter, EveryFrameOfACycleDecodesToItsReading)
{
    for (std::uint64_t step = 0; step < FramesPerCycle() + 3; ++step) {
        const std::vector<std::uint8_t> frame = FrameAt(step);
        ASSERT_EQ(frame.size(), 17u);
        EXPECT_EQ(frame[0], 0x00);
        EXPECT_EQ(frame[1], 0x0D);
        EXPECT_EQ(frame[15], 0x0D);
        EXPECT_EQ(frame[16], 0x0A);

        const SimReading r = ReadingAt(step);
        const Decoded d = Decode(frame);
        EXPECT_EQ(d.hold, r.hold) << step;
        EXPECT_EQ(d.rel, r.rel) << step;
        EXPECT_EQ(d.lcr, r.lcr) << step;
        EXPECT_EQ(d.autoRange, r.autoRange) << step;
        EXPECT_EQ(d.parallel, r.parallel) << step;
        EXPECT_EQ(d.battery, r.battery) << step;
        EXPECT_EQ(d.freq, r.freq) << step;
        EXPECT_EQ(d.tolerance, r.tolerance) << step;
        EXPECT_EQ(d.mainMode, r.mainMode) << step;
        EXPECT_EQ(d.mainRaw, r.mainRaw) << step;
        EXPECT_EQ(d.mainPoint, r.mainPoint) << step;
        EXPECT_EQ(d.mainUnit, r.mainUnit) << step;
        EXPECT_EQ(d.mainKind, r.mainKind) << step;
        EXPECT_EQ(d.mainRange2000, r.mainRange2000) << step;
        EXPECT_EQ(d.subMode, r.subMode) << step;
        EXPECT_EQ(d.subRaw, r.subRaw) << step;
        EXPECT_EQ(d.subPoint, r.subPoint) << step;
        EXPECT_EQ(d.subUnit, r.subUnit) << step;
        EXPECT_EQ(d.subKind, r.subKind) << step;
        EXPECT_EQ(d.subRange2000, r.subRange2000) << step;

        // Readings fit the display: counts within the range, units of the function.
        if (r.mainKind == rkNumber) {
            EXPECT_LT(r.mainRaw, r.mainRange2000 ? 2000 : 20000) << step;
            EXPECT_LE(r.mainPoint, 4) << step;
            const std::set<TUnit> lUnits = {uuH, umH, uH, ukH}, cUnits = {upF, unF, uuF, umF},
                                  rUnits = {uOhm, uKOhm, uMOhm};
            const std::set<TUnit>& units = r.mainMode == mmL ? lUnits : r.mainMode == mmC ? cUnits : rUnits;
            EXPECT_TRUE(units.count(r.mainUnit)) << step;
        }
    }
}

TEST(SimulatedMeter, PhaseAnglesStayWithinNinetyDegreesAndTheBatteryDrainsOverHours)
{
    for (std::uint64_t step = 0; step < 10 * FramesPerCycle(); ++step) {
        const SimReading r = ReadingAt(step);
        if (r.subMode == smTheta && r.subKind == rkNumber) {
            const double degrees = r.subRaw / std::pow(10.0, r.subPoint);
            ASSERT_LE(degrees, 90.0) << step;
        }
    }
    const std::uint64_t hour = 2 * 3600;
    const std::pair<std::uint64_t, int> batteryAt[] = {{0, 3}, {4 * hour - 1, 3}, {4 * hour, 2}, {8 * hour, 1},
                                                       {100 * hour, 1}};
    for (const auto& [step, bars] : batteryAt)
        EXPECT_EQ(ReadingAt(step).battery, bars) << step;
}

TEST(SimulatedMeter, OneCycleWalksThroughEveryFunctionAndState)
{
    std::set<int> mainModes, subModes, freqs, parallels, tolerances, mainKinds, subKinds, batteries, ranges;
    bool hold = false, rel = false, manual = false, lcr = false, frozen = true;
    SimReading previous{};
    for (std::uint64_t step = 0; step < FramesPerCycle(); ++step) {
        const SimReading r = ReadingAt(step);
        mainModes.insert(r.mainMode);
        subModes.insert(r.subMode);
        freqs.insert(r.freq);
        parallels.insert(r.parallel);
        tolerances.insert(r.tolerance);
        mainKinds.insert(r.mainKind);
        subKinds.insert(r.subKind);
        batteries.insert(r.battery);
        ranges.insert(r.mainRange2000);
        rel |= r.rel;
        manual |= !r.autoRange;
        lcr |= r.lcr;
        if (r.hold && previous.hold)
            frozen &= r.mainRaw == previous.mainRaw && r.subRaw == previous.subRaw;
        hold |= r.hold;
        previous = r;
    }
    EXPECT_EQ(mainModes, (std::set<int>{mmL, mmC, mmR, mmDCR}));
    EXPECT_EQ(subModes, (std::set<int>{smNone, smD, smQ, smESR, smTheta}));
    EXPECT_EQ(freqs, (std::set<int>{tf100Hz, tf120Hz, tf1kHz, tf10kHz, tf100kHz}));
    EXPECT_EQ(parallels, (std::set<int>{0, 1}));
    EXPECT_EQ(tolerances, (std::set<int>{0, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(mainKinds, (std::set<int>{rkNumber, rkDashes, rkOL, rkERR, rkOPEN, rkSHORT}));
    EXPECT_EQ(subKinds, (std::set<int>{rkNumber, rkBlankA, rkDashes, rkOL, rkERR, rkPASS, rkFAIL}));
    EXPECT_EQ(batteries, (std::set<int>{3}));
    EXPECT_EQ(ranges, (std::set<int>{0, 1}));
    EXPECT_TRUE(hold && frozen && rel && manual && lcr);
    // A minute or two at two frames a second.
    EXPECT_GE(FramesPerCycle(), 60u * kFramesPerSecond);
    EXPECT_LE(FramesPerCycle(), 120u * kFramesPerSecond);
}

TEST(SimulatedMeter, ReadingsCarryNoise)
{
    std::set<int> counts;
    for (std::uint64_t step = 0; step < 8; ++step)
        counts.insert(ReadingAt(step).mainRaw);
    EXPECT_GT(counts.size(), 3u);
}

TEST(SimulatedMeter, ToCountsPicksUnitAndDecimals)
{
    struct { double value; Quantity q; bool range2000; int raw, point; TUnit unit; } cases[] = {
        {100e-6, Quantity::Inductance, false, 10000, 2, uuH},
        {4.7e-3, Quantity::Inductance, false, 4700, 3, umH},
        {1.0e-9, Quantity::Capacitance, true, 1000, 3, unF},
        {470e-6, Quantity::Capacitance, false, 4700, 1, uuF},
        {4.7e3, Quantity::Resistance, false, 4700, 3, uKOhm},
        {0.0123, Quantity::Ratio, false, 123, 4, uNoneA},
        {-89.1, Quantity::Angle, false, 8910, 2, udeg},
        {0.5e-12, Quantity::Capacitance, false, 5000, 4, upF},
    };
    for (const auto& c : cases) {
        const Counts got = ToCounts(c.value, c.q, c.range2000);
        EXPECT_EQ(got.raw, c.raw) << c.value;
        EXPECT_EQ(got.point, c.point) << c.value;
        EXPECT_EQ(got.unit, c.unit) << c.value;
    }
}

TEST(SimulatedStream, BytesFollowTheClockAndReassembleIntoFrames)
{
    EXPECT_EQ(SimulatedStream::SentBy(0), 0u);
    EXPECT_EQ(SimulatedStream::SentBy(18), 17u);
    EXPECT_EQ(SimulatedStream::SentBy(499), 17u);
    EXPECT_EQ(SimulatedStream::SentBy(510), 17u + 9u);
    for (std::uint64_t n : {1u, 16u, 17u, 18u, 40u, 341u})
        EXPECT_EQ(SimulatedStream::SentBy(SimulatedStream::TimeOfByte(n)) >= n &&
                      SimulatedStream::SentBy(SimulatedStream::TimeOfByte(n) - 1) < n,
                  true)
            << n;

    SimulatedStream stream;
    EXPECT_TRUE(stream.Take(0, 2048).empty());
    std::vector<std::uint8_t> received;
    std::set<std::size_t> chunkSizes;
    int splitFrames = 0;
    // Polls 70 ms apart for 20 s of meter time.
    for (std::uint64_t t = 0; t < 20000; t += 70) {
        const std::vector<std::uint8_t> chunk = stream.Take(t, 2048);
        if (chunk.empty())
            continue;
        chunkSizes.insert(chunk.size());
        received.insert(received.end(), chunk.begin(), chunk.end());
        splitFrames += received.size() % 17 != 0;
    }
    std::vector<std::uint8_t> expected;
    for (std::uint64_t step = 0; expected.size() < received.size(); ++step) {
        const auto frame = FrameAt(step);
        expected.insert(expected.end(), frame.begin(), frame.end());
    }
    expected.resize(received.size());
    EXPECT_EQ(received, expected);
    EXPECT_GE(received.size(), 39u * 17u);
    EXPECT_GT(splitFrames, 0);
    EXPECT_GT(chunkSizes.size(), 3u);

    // Skipping drops what was sent meanwhile.
    stream.SkipTo(30000);
    EXPECT_EQ(stream.Pending(30000), 0u);
    EXPECT_EQ(stream.Pending(30018), 17u);
}

}  // namespace
