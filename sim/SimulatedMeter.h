#pragma once

#include "meter/MeterState.h"

#include <array>
#include <cstdint>
#include <vector>

namespace korvex::sim {

// What the simulated meter's display shows at one update, field by field as the frame carries it.
struct SimReading {
    bool hold = false;
    bool rel = false;
    bool lcr = true;
    bool autoRange = true;
    bool parallel = false;
    std::uint8_t battery = 3;               // 0..3 bars
    TTestFrequency freq = tf1kHz;
    std::uint8_t tolerance = 0;             // sorting code, 0 = not sorting
    TMainMode mainMode = mmNone;
    std::uint16_t mainRaw = 0;
    std::uint8_t mainPoint = 0;             // digits after the separator
    TUnit mainUnit = uNoneA;
    TReadoutKind mainKind = rkNumber;
    bool mainRange2000 = false;             // 2000-count range instead of 20000
    TSecondaryMode subMode = smNone;
    std::uint16_t subRaw = 0;
    std::uint8_t subPoint = 0;
    TUnit subUnit = uNoneA;
    TReadoutKind subKind = rkBlankA;
    bool subRange2000 = false;
};

inline constexpr std::size_t kPayloadSize = 13;
inline constexpr std::size_t kFrameSize = 17;
// Updates per second of the meter's display, and so frames per second on the cable.
inline constexpr int kFramesPerSecond = 2;

// The display at update `step`; the walk through functions and states repeats every FramesPerCycle() steps.
SimReading ReadingAt(std::uint64_t step);
std::uint64_t FramesPerCycle();

std::array<std::uint8_t, kPayloadSize> EncodePayload(const SimReading& reading);
// 0x00 0x0D, the payload, 0x0D 0x0A.
std::vector<std::uint8_t> FrameAt(std::uint64_t step);

// What a reading measures, which fixes its family of units.
enum class Quantity : std::uint8_t {
    Inductance,   // uH, mH, H, kH
    Capacitance,  // pF, nF, uF, mF
    Resistance,   // ohm, kilo-ohm, mega-ohm
    Ratio,        // D and Q, no unit
    Angle,        // degrees
};

struct Counts {
    std::uint16_t raw = 0;
    std::uint8_t point = 0;
    TUnit unit = uNoneA;
};
// A value in base units (henry, farad, ohm) as the meter shows it: in the largest unit in which it is at
// least 1 (else the smallest), with as many decimals as the count range holds. Negative values show
// their magnitude: the count carries no sign.
Counts ToCounts(double value, Quantity quantity, bool range2000);

}  // namespace korvex::sim
