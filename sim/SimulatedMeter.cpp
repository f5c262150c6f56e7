#include "sim/SimulatedMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvex::sim {
namespace {

struct UnitStep {
    TUnit unit;
    double factor;
};

struct Scene {
    int frames;
    TMainMode mode;
    bool parallel;
    TTestFrequency freq;
    double mainValue;  // base units
    TSecondaryMode sub;
    double subValue;
    TReadoutKind mainKind = rkNumber;
    TReadoutKind subKind = rkNumber;
    bool lcr = false;
    bool autoRange = true;
    bool hold = false;
    bool rel = false;
    bool sorting = false;
};

Scene Sc(int frames, TMainMode mode, bool parallel, TTestFrequency freq, double mainValue, TSecondaryMode sub,
         double subValue)
{
    return Scene{frames, mode, parallel, freq, mainValue, sub, subValue};
}

Scene With(Scene s, TReadoutKind mainKind, TReadoutKind subKind)
{
    s.mainKind = mainKind;
    s.subKind = subKind;
    return s;
}

// The walk: each function at several frequencies and secondary readings, then the meter's other states.
const std::vector<Scene>& Scenes()
{
    static const std::vector<Scene> scenes = [] {
        std::vector<Scene> v;
        Scene s = Sc(8, mmL, false, tf1kHz, 100e-6, smQ, 12.5);
        s.lcr = true;
        v.push_back(s);
        v.push_back(Sc(6, mmL, false, tf100Hz, 4.7e-3, smD, 0.0213));
        v.push_back(Sc(6, mmL, true, tf10kHz, 1.5e-3, smQ, 48.2));
        v.push_back(Sc(6, mmL, false, tf120Hz, 220e-6, smTheta, 84.7));
        v.push_back(Sc(6, mmL, false, tf100kHz, 10e-6, smESR, 0.35));
        s = Sc(6, mmL, false, tf1kHz, 2.2, smD, 0.145);
        s.autoRange = false;
        v.push_back(s);
        s = Sc(8, mmC, false, tf1kHz, 100e-9, smD, 0.0042);
        s.lcr = true;
        v.push_back(s);
        v.push_back(Sc(6, mmC, true, tf100Hz, 470e-6, smD, 0.083));
        v.push_back(Sc(6, mmC, true, tf120Hz, 10e-6, smESR, 1250.0));
        v.push_back(Sc(6, mmC, false, tf10kHz, 22e-12, smTheta, 89.1));
        v.push_back(Sc(6, mmC, false, tf100kHz, 1.0e-9, smQ, 310.0));
        v.push_back(Sc(6, mmC, false, tf1kHz, 2.2e-3, smESR, 0.048));
        s = Sc(6, mmR, false, tf1kHz, 4.7e3, smTheta, 0.35);
        s.lcr = true;
        v.push_back(s);
        v.push_back(Sc(6, mmR, true, tf10kHz, 1.0e6, smQ, 0.012));
        v.push_back(Sc(6, mmR, false, tf120Hz, 100.0, smD, 0.0008));
        v.push_back(With(Sc(6, mmDCR, false, tf1kHz, 10.0, smNone, 0), rkNumber, rkBlankA));
        // Leads open on the DC range.
        v.push_back(With(Sc(4, mmDCR, false, tf1kHz, 19.5e6, smNone, 0), rkOL, rkBlankA));
        s = Sc(6, mmC, false, tf1kHz, 47e-9, smD, 0.0031);
        s.hold = true;
        v.push_back(s);
        s = Sc(6, mmR, false, tf1kHz, 0.05, smQ, 0.001);
        s.rel = true;
        v.push_back(s);
        s = Sc(16, mmC, false, tf1kHz, 100e-9, smNone, 0);
        s.sorting = true;
        v.push_back(s);
        // Range change, open and short trims, a fault and an overload in L. A meter always shows a function
        // and a reading or a state word with the function's unit: a blank or switched-off display sends no
        // frames, so none is simulated.
        v.push_back(With(Sc(2, mmL, false, tf1kHz, 1e-3, smQ, 1.0), rkDashes, rkDashes));
        v.push_back(With(Sc(4, mmC, false, tf1kHz, 1e-12, smD, 0), rkOPEN, rkDashes));
        v.push_back(With(Sc(4, mmR, false, tf1kHz, 0.01, smQ, 0), rkSHORT, rkDashes));
        v.push_back(With(Sc(2, mmR, false, tf1kHz, 1.0, smD, 0), rkERR, rkERR));
        v.push_back(With(Sc(2, mmL, false, tf100Hz, 19.9e3, smQ, 0), rkOL, rkOL));
        return v;
    }();
    return scenes;
}

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Deterministic noise in [-1, 1] for a step and a channel.
double Noise(std::uint64_t step, std::uint64_t channel)
{
    return static_cast<double>(SplitMix(step * 8 + channel) >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

Quantity MainQuantity(TMainMode mode)
{
    switch (mode) {
    case mmL: return Quantity::Inductance;
    case mmC: return Quantity::Capacitance;
    default: return Quantity::Resistance;
    }
}

Quantity SubQuantity(TSecondaryMode mode)
{
    switch (mode) {
    case smESR: return Quantity::Resistance;
    case smTheta: return Quantity::Angle;
    default: return Quantity::Ratio;
    }
}

// A battery drains over hours, as a real meter's does: full for the first four hours of streaming, then
// a bar less every four hours, down to one bar, where it stays.
std::uint8_t BatteryAt(std::uint64_t step)
{
    constexpr std::uint64_t framesPerFourHours = 2 * 3600 * 4;
    const std::uint64_t barsLost = step / framesPerFourHours;
    return static_cast<std::uint8_t>(barsLost >= 2 ? 1 : 3 - barsLost);
}

}  // namespace

std::uint64_t FramesPerCycle()
{
    static const std::uint64_t frames = [] {
        std::uint64_t n = 0;
        for (const Scene& s : Scenes())
            n += static_cast<std::uint64_t>(s.frames);
        return n;
    }();
    return frames;
}

Counts ToCounts(double value, Quantity quantity, bool range2000)
{
    static const std::vector<UnitStep> inductance = {{uuH, 1e-6}, {umH, 1e-3}, {uH, 1.0}, {ukH, 1e3}};
    static const std::vector<UnitStep> capacitance = {{upF, 1e-12}, {unF, 1e-9}, {uuF, 1e-6}, {umF, 1e-3}};
    static const std::vector<UnitStep> resistance = {{uOhm, 1.0}, {uKOhm, 1e3}, {uMOhm, 1e6}};
    static const std::vector<UnitStep> ratio = {{uNoneA, 1.0}};
    static const std::vector<UnitStep> angle = {{udeg, 1.0}};
    const std::vector<UnitStep>* units = &ratio;
    switch (quantity) {
    case Quantity::Inductance: units = &inductance; break;
    case Quantity::Capacitance: units = &capacitance; break;
    case Quantity::Resistance: units = &resistance; break;
    case Quantity::Ratio: units = &ratio; break;
    case Quantity::Angle: units = &angle; break;
    }
    value = std::fabs(value);
    UnitStep chosen = units->front();
    for (const UnitStep& u : *units)
        if (value / u.factor >= 1.0)
            chosen = u;
    const double inUnit = value / chosen.factor;
    const double limit = range2000 ? 2000.0 : 20000.0;
    Counts c;
    c.unit = chosen.unit;
    for (int point = 4; point >= 0; --point) {
        const double count = std::round(inUnit * std::pow(10.0, point));
        if (count < limit || point == 0) {
            c.point = static_cast<std::uint8_t>(point);
            c.raw = static_cast<std::uint16_t>(std::min(count, 65535.0));
            break;
        }
    }
    return c;
}

SimReading ReadingAt(std::uint64_t step)
{
    const std::uint64_t cycle = FramesPerCycle();
    const std::uint64_t inCycle = step % cycle;
    std::uint64_t offset = 0;
    const Scene* scene = &Scenes().back();
    for (const Scene& s : Scenes()) {
        if (inCycle < offset + static_cast<std::uint64_t>(s.frames)) {
            scene = &s;
            break;
        }
        offset += static_cast<std::uint64_t>(s.frames);
    }
    const std::uint64_t inScene = inCycle - offset;
    const std::uint64_t sceneStart = step - inScene;
    // A held display repeats the reading it had when hold was pressed.
    const std::uint64_t noiseStep = scene->hold ? sceneStart : step;

    SimReading r;
    r.hold = scene->hold;
    r.rel = scene->rel;
    r.lcr = scene->lcr;
    r.autoRange = scene->autoRange;
    r.parallel = scene->parallel;
    r.battery = BatteryAt(step);
    r.freq = scene->freq;
    r.mainMode = scene->mode;
    r.subMode = scene->sub;
    r.mainRange2000 = r.subRange2000 = scene->freq == tf100kHz;

    const double drift = 0.004 * std::sin(2.0 * std::numbers::pi * static_cast<double>(noiseStep) / 40.0);
    double mainValue = scene->mainValue * (1.0 + drift + 0.002 * Noise(noiseStep, 0));
    if (scene->rel)
        mainValue = scene->mainValue * Noise(noiseStep, 1);
    const Counts main = ToCounts(mainValue, MainQuantity(scene->mode), r.mainRange2000);
    r.mainKind = scene->mainKind;
    r.mainPoint = main.point;
    r.mainUnit = main.unit;
    r.mainRaw = scene->mainKind == rkNumber ? main.raw : 0;

    double subValue = scene->subValue * (1.0 + 0.02 * Noise(noiseStep, 2));
    // A phase angle lies within ±90°, whatever the noise.
    if (scene->sub == smTheta)
        subValue = std::clamp(subValue, -90.0, 90.0);
    const Counts sub = ToCounts(subValue, SubQuantity(scene->sub), r.subRange2000);
    r.subKind = scene->sub == smNone && scene->subKind == rkNumber ? rkBlankA : scene->subKind;
    r.subPoint = sub.point;
    r.subUnit = scene->sub == smNone ? uNoneA : sub.unit;
    r.subRaw = r.subKind == rkNumber ? sub.raw : 0;

    if (scene->sorting) {
        // Steps through the tolerance codes 0.25% .. -20%/+80%, two frames each; every third pair fails.
        r.tolerance = static_cast<std::uint8_t>(3 + (inScene / 2) % 8);
        r.subKind = (inScene / 2) % 3 == 2 ? rkFAIL : rkPASS;
    }
    return r;
}

std::array<std::uint8_t, kPayloadSize> EncodePayload(const SimReading& r)
{
    std::array<std::uint8_t, kPayloadSize> p{};
    p[0] = static_cast<std::uint8_t>((r.hold ? 0x01 : 0) | (r.rel ? 0x04 : 0) | (r.lcr ? 0x20 : 0) |
                                     (r.autoRange ? 0x40 : 0) | (r.parallel ? 0x80 : 0));
    p[1] = static_cast<std::uint8_t>(((r.battery & 0x03) << 3) | ((r.freq & 0x07) << 5));
    p[2] = static_cast<std::uint8_t>(r.tolerance & 0x0F);
    p[3] = static_cast<std::uint8_t>(r.mainMode & 0x07);
    p[4] = static_cast<std::uint8_t>(r.mainRaw >> 8);
    p[5] = static_cast<std::uint8_t>(r.mainRaw & 0xFF);
    p[6] = static_cast<std::uint8_t>((r.mainPoint & 0x07) | ((r.mainUnit & 0x1F) << 3));
    p[7] = static_cast<std::uint8_t>((r.mainKind & 0x1F) | (r.mainRange2000 ? 0x80 : 0));
    p[8] = static_cast<std::uint8_t>(r.subMode & 0x07);
    p[9] = static_cast<std::uint8_t>(r.subRaw >> 8);
    p[10] = static_cast<std::uint8_t>(r.subRaw & 0xFF);
    p[11] = static_cast<std::uint8_t>((r.subPoint & 0x07) | ((r.subUnit & 0x1F) << 3));
    p[12] = static_cast<std::uint8_t>((r.subKind & 0x1F) | (r.subRange2000 ? 0x80 : 0));
    return p;
}

std::vector<std::uint8_t> FrameAt(std::uint64_t step)
{
    const auto payload = EncodePayload(ReadingAt(step));
    std::vector<std::uint8_t> frame(kFrameSize);
    frame[0] = 0x00;
    frame[1] = 0x0D;
    std::copy(payload.begin(), payload.end(), frame.begin() + 2);
    frame[kFrameSize - 2] = 0x0D;
    frame[kFrameSize - 1] = 0x0A;
    return frame;
}

}  // namespace korvex::sim
