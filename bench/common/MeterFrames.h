#pragma once

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "sim/SimulatedMeter.h"

namespace korvex::bench {

// The meter's frame of a C reading whose count and D value follow i.
inline std::vector<std::uint8_t> CapacitanceFrame(std::uint64_t i)
{
    sim::SimReading r;
    r.mainMode = mmC;
    r.mainRaw = static_cast<std::uint16_t>(1000 + i % 18000);
    r.mainPoint = 3;
    r.mainUnit = unF;
    r.subMode = smD;
    r.subRaw = static_cast<std::uint16_t>(i % 100);
    r.subPoint = 3;
    r.subKind = rkNumber;
    const auto payload = sim::EncodePayload(r);
    std::vector<std::uint8_t> frame(sim::kFrameSize);
    frame[0] = 0x00;
    frame[1] = 0x0D;
    std::copy(payload.begin(), payload.end(), frame.begin() + 2);
    frame[sim::kFrameSize - 2] = 0x0D;
    frame[sim::kFrameSize - 1] = 0x0A;
    return frame;
}

// The receiver looks for the terminator in the hexadecimal text, so a payload whose digits spell "0D0A"
// would cut its frame short.
inline bool WholeFrame(const std::vector<std::uint8_t>& frame)
{
    const QByteArray hex = QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size())).toHex().toUpper();
    return hex.indexOf("0D0A") == hex.size() - 4;
}

// A C reading whose count changes every frame, so every frame passes the record gate with Repeat off;
// counts whose frame would be cut short are skipped. Advances i past the frame it returns.
inline std::vector<std::uint8_t> NextFrame(std::uint64_t& i)
{
    std::vector<std::uint8_t> frame = CapacitanceFrame(i++);
    while (!WholeFrame(frame))
        frame = CapacitanceFrame(i++);
    return frame;
}

}  // namespace korvex::bench
