#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The fields of one meter frame, written out as the 26 hexadecimal payload characters the meter sends.
// The defaults are the worked example: Cs 1.234 nF, D 0.012, 1 kHz, three battery bars.
struct PanelFrame {
    bool hold = false, rel = false, lcr = false, autoRange = false, parallel = false;
    std::uint8_t battery = 3, freq = 2, tolerance = 0, mainMode = 2;
    std::uint16_t mainRaw = 1234;
    std::uint8_t mainPoint = 3, mainUnit = 10, mainKind = 0, subMode = 1;
    std::uint16_t subRaw = 12;
    std::uint8_t subPoint = 3, subUnit = 0, subKind = 0;

    std::string Hex() const
    {
        const unsigned flags = (hold ? 0x01u : 0u) | (rel ? 0x04u : 0u) | (lcr ? 0x20u : 0u)
                               | (autoRange ? 0x40u : 0u) | (parallel ? 0x80u : 0u);
        char text[27];
        std::snprintf(text, sizeof text, "%02X%02X%02X%02X%04X%02X%02X%02X%04X%02X%02X", flags,
                      (battery << 3 | freq << 5) & 0xFFu, tolerance & 0x0Fu, mainMode & 0x07u, mainRaw,
                      (mainPoint | mainUnit << 3) & 0xFFu, mainKind & 0x1Fu, subMode & 0x07u, subRaw,
                      (subPoint | subUnit << 3) & 0xFFu, subKind & 0x1Fu);
        return text;
    }
};
