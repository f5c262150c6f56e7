#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::test {

using Bytes = std::vector<std::uint8_t>;

// Bytes from hexadecimal text; spaces are ignored ("00 0D" gives 0x00 0x0D).
inline Bytes FromHex(std::string_view hex)
{
    Bytes bytes;
    std::string digits;
    for (char c : hex)
        if (c != ' ')
            digits.push_back(c);
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

// A whole 17-byte frame around a 26-digit payload.
inline Bytes Frame(std::string_view payloadHex)
{
    return FromHex("000D" + std::string(payloadHex) + "0D0A");
}

inline Bytes Join(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The fields of one payload, to build frames by name rather than by hand-made hexadecimal text.
struct PayloadFields {
    std::uint8_t flags = 0;  // byte 1: hold, relative, LCR, auto, parallel
    int battery = 0;
    int freq = 0;
    int tolerance = 0;
    int mainMode = 0;
    int mainRaw = 0;
    int mainPoint = 0;
    int mainUnit = 0;
    int mainKind = 0;
    bool mainRange2000 = false;
    int subMode = 0;
    int subRaw = 0;
    int subPoint = 0;
    int subUnit = 0;
    int subKind = 0;
    bool subRange2000 = false;
};

inline std::string PayloadHex(const PayloadFields& f)
{
    const int bytes[13] = {
        f.flags,
        (f.battery << 3) | (f.freq << 5),
        f.tolerance,
        f.mainMode,
        f.mainRaw >> 8,
        f.mainRaw & 0xFF,
        f.mainPoint | (f.mainUnit << 3),
        f.mainKind | (f.mainRange2000 ? 0x80 : 0),
        f.subMode,
        f.subRaw >> 8,
        f.subRaw & 0xFF,
        f.subPoint | (f.subUnit << 3),
        f.subKind | (f.subRange2000 ? 0x80 : 0),
    };
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (int b : bytes) {
        hex.push_back(digits[(b >> 4) & 0x0F]);
        hex.push_back(digits[b & 0x0F]);
    }
    return hex;
}

// The worked example: Cs 1.234 nF, D 0.012, 1 kHz, three battery bars.
inline constexpr std::string_view ExamplePayload = "0058000204D2530001000C0300";

// The example frame (Cs 1.234 nF, D 0.012, 1 kHz) with its main count replaced by mainRaw.
inline Bytes ExampleFrameWithMainCount(std::uint16_t mainRaw)
{
    Bytes frame = Frame(ExamplePayload);
    frame[6] = static_cast<std::uint8_t>(mainRaw >> 8);
    frame[7] = static_cast<std::uint8_t>(mainRaw & 0xFF);
    return frame;
}

}  // namespace korvex::test
