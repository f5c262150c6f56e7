#include <cmath>
#include <string>

#include "WindowFixture.h"
#include "sim/SimulatedMeter.h"
#include "sim/SimulatedStream.h"

namespace korvex::testing {
namespace {

using namespace korvex::sim;

// The row texts a reading should give, written out from the display's fields.
QString ModeText(TMainMode mode, bool parallel)
{
    static const char* const letters[] = {"", "L", "C", "R", "DCR"};
    if (mode == mmNone || mode == mmDCR)
        return QLatin1String(letters[mode]);
    return QLatin1String(letters[mode]) + (parallel ? "p" : "s");
}

QString SubModeText(TSecondaryMode mode, TMainMode main, bool parallel)
{
    switch (mode) {
    case smD: return QStringLiteral("D");
    case smQ: return QStringLiteral("Q");
    case smESR:
        if (main == mmL || main == mmC)
            return parallel ? QStringLiteral("RP") : QStringLiteral("ESR");
        return {};
    case smTheta: return QStringLiteral("?");  // Windows-1252 has no theta
    default: return {};
    }
}

QString UnitName(TUnit unit)
{
    static const char* const names[] = {"", "Ohm", "KOhm", "MOhm", "", "uH", "mH", "H",
                                        "kH", "pF", "nF", "uF", "mF", "%", "Deg"};
    return QLatin1String(names[unit]);
}

QString KindText(TReadoutKind kind)
{
    static const char* const texts[] = {"", "", "-", "OL", "", "", "ERR", "PASS", "FAIL", "OPEN", "SHORT"};
    return QLatin1String(texts[kind]);
}

QString FrequencyName(TTestFrequency freq)
{
    static const char* const names[] = {"100Hz", "120Hz", "1KHz", "10KHz", "100KHz"};
    return QLatin1String(names[freq]);
}

// A number readout's text must read back as the count scaled by its decimals, to within what the readout
// has room for; other readouts give their fixed texts.
void ExpectReading(const QString& text, TReadoutKind kind, std::uint16_t raw, std::uint8_t point, double tolerance,
                   const char* which)
{
    if (kind != rkNumber) {
        EXPECT_EQ(text, KindText(kind)) << which;
        return;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    ASSERT_TRUE(ok) << which << " '" << text.toStdString() << "'";
    EXPECT_NEAR(value, raw / std::pow(10.0, point), tolerance) << which << " '" << text.toStdString() << "'";
}

using SimulatedMeterWindow = WindowFixture;

// One whole cycle of the simulated meter, in the chunks its bridge hands out to a reader polling every 70 ms,
// through the window: one row per frame, each with the texts its frame's fields call for.
TEST_F(SimulatedMeterWindow, EveryFrameOfACycleBecomesItsRow)
{
    TfrmMain& window = MakeWindow();
    SimulatedStream stream;
    const std::uint64_t frames = FramesPerCycle();
    std::uint64_t received = 0;
    for (std::uint64_t t = 0; received < frames * kFrameSize; t += 70) {
        const std::vector<std::uint8_t> chunk = stream.Take(t, 2048);
        if (!chunk.empty())
            Feed(chunk);
        received += chunk.size();
    }
    ASSERT_EQ(GridRows(), static_cast<int>(frames));

    for (std::uint64_t step = 0; step < frames; ++step) {
        SCOPED_TRACE("frame " + std::to_string(step));
        const SimReading r = ReadingAt(step);
        const QStringList row = GridRow(static_cast<int>(step));
        EXPECT_EQ(row[0], QString::number(step + 1));
        EXPECT_EQ(row[2], ModeText(r.mainMode, r.parallel));
        EXPECT_EQ(row[4], UnitName(r.mainUnit));
        EXPECT_EQ(row[5], SubModeText(r.subMode, r.mainMode, r.parallel));
        EXPECT_EQ(row[7], UnitName(r.subUnit));
        EXPECT_EQ(row[8], FrequencyName(r.freq));
        // Parallel capacitance at 100 Hz and 120 Hz records the whole part only.
        const bool wholeOnly = r.mainMode == mmC && r.parallel && (r.freq == tf100Hz || r.freq == tf120Hz);
        ExpectReading(row[3], r.mainKind, r.mainRaw, r.mainPoint, wholeOnly ? 1.0 : 1e-9, "main");
        // The secondary readout holds five characters, so a long text loses its last digit.
        ExpectReading(row[6], r.subKind, r.subRaw, r.subPoint, std::pow(10.0, 1 - r.subPoint), "secondary");
    }
    EXPECT_EQ(window.cds1().RecordCount(), static_cast<int>(frames));
}

}  // namespace
}  // namespace korvex::testing
