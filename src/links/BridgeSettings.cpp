#include "links/BridgeSettings.h"

#include <array>

namespace korvex {

std::uint32_t baudRateValue(TBaudRate rate)
{
    static constexpr std::array<std::uint32_t, 15> rates = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                            19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const auto index = static_cast<std::size_t>(rate);
    return index < rates.size() ? rates[index] : 0;
}

BridgeUartCodes bridgeUartCodes(TBaudRate rate, TByteSize byteSize, TParity parity, TStopBits stopBits)
{
    return {baudRateValue(rate), static_cast<std::uint8_t>(byteSize), static_cast<std::uint8_t>(parity),
            static_cast<std::uint8_t>(stopBits == TStopBits::_1 ? 0 : 1), 0};
}

} // namespace korvex
