#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korvex {

// What a readout shows (5 bits on the wire; codes 11..31 are stored as received).
enum TReadoutKind : std::uint8_t {
    rkNumber = 0,  // the formatted reading
    rkBlankA = 1,  // blank
    rkDashes = 2,  // "- - - -"
    rkOL = 3,      // overload
    rkOFF = 4,     // "OFF"
    rkBlankB = 5,  // blank
    rkERR = 6,     // "ERR"
    rkPASS = 7,    // sorting passed
    rkFAIL = 8,    // sorting failed
    rkOPEN = 9,    // open terminals
    rkSHORT = 10,  // shorted terminals
};

// Main function (3 bits; 5..7 stored as received).
enum TMainMode : std::uint8_t {
    mmNone = 0,  // no main function
    mmL = 1,     // inductance
    mmC = 2,     // capacitance
    mmR = 3,     // resistance
    mmDCR = 4,   // DC resistance
};

// Secondary function (3 bits; 5..7 stored as received).
enum TSecondaryMode : std::uint8_t {
    smNone = 0,   // no secondary reading
    smD = 1,      // dissipation factor
    smQ = 2,      // quality factor
    smESR = 3,    // equivalent series resistance (Rp in parallel mode)
    smTheta = 4,  // phase angle
};

// Test frequency (3 bits; 5..7 stored as received).
enum TTestFrequency : std::uint8_t {
    tf100Hz = 0,   // 100 Hz
    tf120Hz = 1,   // 120 Hz
    tf1kHz = 2,    // 1 kHz
    tf10kHz = 3,   // 10 kHz
    tf100kHz = 4,  // 100 kHz
};

// Units of a reading (5 bits on the wire; 15..31 lie outside the caption table).
enum TUnit : std::uint8_t {
    uNoneA = 0,     // no unit
    uOhm = 1,       // ohm
    uKOhm = 2,      // kilo-ohm
    uMOhm = 3,      // mega-ohm
    uNoneB = 4,     // no unit
    uuH = 5,        // microhenry
    umH = 6,        // millihenry
    uH = 7,         // henry
    ukH = 8,        // kilohenry
    upF = 9,        // picofarad
    unF = 10,       // nanofarad
    uuF = 11,       // microfarad
    umF = 12,       // millifarad
    uPercent = 13,  // percent
    udeg = 14,      // degree
};

inline constexpr int UnitCount = 15;

// The decoded reading state of the main window: filled frame by frame, never reset.
// Texts marked 8-bit hold Windows-1252 bytes; UnitTexts are UTF-16 captions.
struct TMeterState {
    std::string LastMainText;
    std::string DecimalSep;
    std::array<std::u16string, UnitCount> UnitTexts{};
    std::string ReceiveText;
    bool Hold = false;
    bool Rel = false;
    bool Lcr = false;
    bool Auto = false;
    std::uint8_t Battery = 0;
    std::uint8_t MainMode = 0;
    std::uint8_t Parallel = 0;
    std::int32_t MainRaw = 0;
    std::int32_t MainPoint = 0;
    std::string MainText;
    std::uint8_t SubUnit = 0;
    std::uint8_t MainUnit = 0;
    std::uint8_t MainKind = 0;
    std::uint8_t SubMode = 0;
    std::int32_t SubRaw = 0;
    std::int32_t SubPoint = 0;
    std::string SubText;
    std::uint8_t SubKind = 0;
    std::int32_t Freq = 0;
    std::int32_t Tolerance = 0;
    std::int32_t MainRange = 0;
    std::int32_t SubRange = 0;
    bool IntervalTick = false;
};

}  // namespace korvex
