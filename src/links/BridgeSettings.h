#pragma once

#include <cstdint>

#include "links/BitRateNames.h"

namespace korvex {

// UART bit rates of the bridge link; the rate is the number after the underscore.
enum class TBaudRate : std::uint8_t {
    CBR_110,    // 110 bit/s
    CBR_300,    // 300 bit/s
    CBR_600,    // 600 bit/s
    CBR_1200,   // 1200 bit/s
    CBR_2400,   // 2400 bit/s
    CBR_4800,   // 4800 bit/s
    CBR_9600,   // 9600 bit/s, the meter's rate
    CBR_14400,  // 14400 bit/s
    CBR_19200,  // 19200 bit/s
    CBR_38400,  // 38400 bit/s
    CBR_56000,  // 56000 bit/s
    CBR_57600,  // 57600 bit/s
    CBR_115200, // 115200 bit/s
    CBR_128000, // 128000 bit/s
    CBR_256000, // 256000 bit/s
};

// Data bits per character; the ordinal is the library's data-bits code.
enum class TByteSize : std::uint8_t {
    _5, // five data bits
    _6, // six data bits
    _7, // seven data bits
    _8, // eight data bits
};

// Stop bits per character.
enum class TStopBits : std::uint8_t {
    _1,   // one stop bit
    _1_5, // one and a half stop bits
    _2,   // two stop bits
};

// Parity; the ordinal is the library's parity code.
enum class TParity : std::uint8_t {
    None,  // no parity bit
    Odd,   // odd parity
    Even,  // even parity
    Mark,  // parity bit always 1
    Space, // parity bit always 0
};

// The five values handed to HidUart_SetUartConfig and compared with what HidUart_GetUartConfig reads back.
struct BridgeUartCodes {
    std::uint32_t baudRate = 0;
    std::uint8_t dataBits = 0;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    std::uint8_t flowControl = 0;
    bool operator==(const BridgeUartCodes&) const = default;
};

std::uint32_t baudRateValue(TBaudRate rate);
// Stop bits go to the library as 0 for one and 1 for anything longer; flow control is always off.
BridgeUartCodes bridgeUartCodes(TBaudRate rate, TByteSize byteSize, TParity parity, TStopBits stopBits);

} // namespace korvex
