#pragma once

#include <cstdint>

#include "links/BitRateNames.h"
#include "links/SerialPort.h"
#include <QString>

// The serial link's own settings enumerations: the bridge link's members in the same order, except that
// this link spells "no parity" Non.
namespace korvex::comm {

// Line bit rates; the rate is the number after the underscore.
enum class TBaudrate : std::uint8_t {
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

// Data bits per character: the ordinal plus five.
enum class TByteSize : std::uint8_t {
    _5, // five data bits
    _6, // six data bits
    _7, // seven data bits
    _8, // eight data bits
};

// Stop bits per character.
enum class TStopBits : std::uint8_t {
    _1,   // one stop bit
    _1_5, // one and a half stop bits, where the platform has them
    _2,   // two stop bits
};

// Parity.
enum class TParity : std::uint8_t {
    Non,   // no parity bit
    Odd,   // odd parity
    Even,  // even parity
    Mark,  // parity bit always 1
    Space, // parity bit always 0
};

// What the port is told: bit rate, data bits, parity and stop bits in the port's own terms.
struct LineSettings {
    qint32 baudRate = 0;
    SerialPort::DataBits dataBits = SerialPort::Data8;
    SerialPort::Parity parity = SerialPort::NoParity;
    SerialPort::StopBits stopBits = SerialPort::OneStop;
    bool operator==(const LineSettings&) const = default;
};

std::uint32_t baudRateValue(TBaudrate rate);
LineSettings lineSettings(TBaudrate rate, TByteSize byteSize, TParity parity, TStopBits stopBits);

// The device a port name stands for. Linux: "COMn" (n from 1, any letter case) is the n-th serial port,
// /dev/ttyS(n-1); any other name is passed on as it is, a device name ("ttyUSB0") or a path. Windows:
// the name as it is.
QString portDeviceName(const QString& commPort);

} // namespace korvex::comm
