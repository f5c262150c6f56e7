#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Byte layouts of the CP2110's HID reports: pure functions, no device access.
namespace korvex::hidtouart {

using Report = std::vector<std::uint8_t>;

// Feature report ids of the CP2110.
enum class FeatureReport : std::uint8_t {
    UartEnable = 0x41, // one byte: 1 = UART on, 0 = off
    UartStatus = 0x42, // FIFO counts and error flags
    PurgeFifos = 0x43, // one byte: which FIFOs to empty
    GpioValues = 0x44, // the latch: two bytes, big-endian
    Version = 0x46,    // part number, device version
    UartConfig = 0x50, // baud (big-endian), parity, flow control, data bits, stop bits
    PinConfig = 0x66,  // pin modes, suspend values and mode, RS-485 level, clock divider
};

// Which FIFOs a purge empties.
enum class PurgeTarget : std::uint8_t {
    Transmit = 1, // the bytes waiting to go out on TX
    Receive = 2,  // the bytes received but not yet reported
    Both = 3,     // both of the above
};

// Input and output reports 0x01..0x3F carry that many UART bytes after the report id.
inline constexpr std::uint8_t MaxUartBytesPerReport = 63;
// The largest report the chip sends, id included.
inline constexpr std::size_t MaxReportSize = 64;
inline constexpr std::uint8_t Cp2110PartNumber = 0x0A;

// Values in the order of HidUart_SetUartConfig; codes, not counts (data bits 0..3 mean 5..8).
struct UartConfig {
    std::uint32_t baudRate = 0;
    std::uint8_t dataBits = 0;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    std::uint8_t flowControl = 0;
    bool operator==(const UartConfig&) const = default;
};

inline constexpr std::uint32_t MinBaudRate = 300;
inline constexpr std::uint32_t MaxBaudRate = 1000000;

struct PartVersion {
    std::uint8_t partNumber = 0;
    std::uint8_t version = 0;
};

inline constexpr std::size_t PinCount = 13;

struct PinConfig {
    std::uint8_t pins[PinCount] = {};
    bool useSuspendValues = false;
    std::uint16_t suspendValue = 0;
    std::uint16_t suspendMode = 0;
    std::uint8_t rs485Level = 0;
    std::uint8_t clkDiv = 0;
};

// Size, id included, of each feature report that is read back.
std::size_t featureReportSize(FeatureReport id);

bool isValidUartConfig(const UartConfig& config);

Report reportForUartEnable(bool enabled);
Report reportForPurge(PurgeTarget target);
Report reportForUartConfig(const UartConfig& config);
// Output reports carrying the bytes, at most 63 per report, in order.
std::vector<Report> reportsForUartData(std::span<const std::uint8_t> bytes);

std::optional<UartConfig> parseUartConfig(std::span<const std::uint8_t> report);
std::optional<PartVersion> parseVersion(std::span<const std::uint8_t> report);
std::optional<bool> parseUartEnable(std::span<const std::uint8_t> report);
std::optional<std::uint16_t> parseLatch(std::span<const std::uint8_t> report);
std::optional<PinConfig> parsePinConfig(std::span<const std::uint8_t> report);

// The UART bytes of an input report; empty for a report that is not a data report or is cut short.
std::span<const std::uint8_t> uartBytesOfInputReport(std::span<const std::uint8_t> report);

} // namespace korvex::hidtouart
