#include "links/CommSettings.h"

#include <array>

namespace korvex::comm {

std::uint32_t baudRateValue(TBaudrate rate)
{
    static constexpr std::array<std::uint32_t, 15> rates = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                            19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const auto index = static_cast<std::size_t>(rate);
    return index < rates.size() ? rates[index] : 0;
}

LineSettings lineSettings(TBaudrate rate, TByteSize byteSize, TParity parity, TStopBits stopBits)
{
    static constexpr std::array<SerialPort::Parity, 5> parities = {
        SerialPort::NoParity, SerialPort::OddParity, SerialPort::EvenParity, SerialPort::MarkParity,
        SerialPort::SpaceParity};
    static constexpr std::array<SerialPort::StopBits, 3> stops = {SerialPort::OneStop, SerialPort::OneAndHalfStop,
                                                                   SerialPort::TwoStop};
    LineSettings settings;
    settings.baudRate = static_cast<qint32>(baudRateValue(rate));
    settings.dataBits = static_cast<SerialPort::DataBits>(static_cast<int>(byteSize) + 5);
    settings.parity = parities.at(static_cast<std::size_t>(parity));
    settings.stopBits = stops.at(static_cast<std::size_t>(stopBits));
    return settings;
}

} // namespace korvex::comm
