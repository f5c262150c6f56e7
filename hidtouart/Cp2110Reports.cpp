#include "Cp2110Reports.h"

#include <algorithm>

namespace korvex::hidtouart {
namespace {

std::uint8_t id(FeatureReport report)
{
    return static_cast<std::uint8_t>(report);
}

bool hasId(std::span<const std::uint8_t> report, FeatureReport expected)
{
    return report.size() >= featureReportSize(expected) && report[0] == id(expected);
}

std::uint16_t bigEndian16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

} // namespace

std::size_t featureReportSize(FeatureReport report)
{
    switch (report) {
    case FeatureReport::UartEnable:
    case FeatureReport::PurgeFifos:
        return 2;
    case FeatureReport::GpioValues:
    case FeatureReport::Version:
        return 3;
    case FeatureReport::UartStatus:
        return 7;
    case FeatureReport::UartConfig:
        return 9;
    case FeatureReport::PinConfig:
        return 1 + PinCount + 2 + 2 + 1 + 1;
    }
    return 1;
}

bool isValidUartConfig(const UartConfig& config)
{
    return config.baudRate >= MinBaudRate && config.baudRate <= MaxBaudRate && config.dataBits <= 3
        && config.parity <= 4 && config.stopBits <= 1 && config.flowControl <= 1;
}

Report reportForUartEnable(bool enabled)
{
    return {id(FeatureReport::UartEnable), static_cast<std::uint8_t>(enabled ? 1 : 0)};
}

Report reportForPurge(PurgeTarget target)
{
    return {id(FeatureReport::PurgeFifos), static_cast<std::uint8_t>(target)};
}

Report reportForUartConfig(const UartConfig& config)
{
    const std::uint32_t baud = config.baudRate;
    return {id(FeatureReport::UartConfig),
            static_cast<std::uint8_t>(baud >> 24),
            static_cast<std::uint8_t>(baud >> 16),
            static_cast<std::uint8_t>(baud >> 8),
            static_cast<std::uint8_t>(baud),
            config.parity,
            config.flowControl,
            config.dataBits,
            config.stopBits};
}

std::vector<Report> reportsForUartData(std::span<const std::uint8_t> bytes)
{
    std::vector<Report> reports;
    while (!bytes.empty()) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), MaxUartBytesPerReport);
        Report report(1 + n);
        report[0] = static_cast<std::uint8_t>(n);
        std::copy_n(bytes.begin(), n, report.begin() + 1);
        reports.push_back(std::move(report));
        bytes = bytes.subspan(n);
    }
    return reports;
}

std::optional<UartConfig> parseUartConfig(std::span<const std::uint8_t> report)
{
    if (!hasId(report, FeatureReport::UartConfig))
        return std::nullopt;
    UartConfig config;
    config.baudRate = (std::uint32_t{report[1]} << 24) | (std::uint32_t{report[2]} << 16)
        | (std::uint32_t{report[3]} << 8) | std::uint32_t{report[4]};
    config.parity = report[5];
    config.flowControl = report[6];
    config.dataBits = report[7];
    config.stopBits = report[8];
    return config;
}

std::optional<PartVersion> parseVersion(std::span<const std::uint8_t> report)
{
    if (!hasId(report, FeatureReport::Version))
        return std::nullopt;
    return PartVersion{report[1], report[2]};
}

std::optional<bool> parseUartEnable(std::span<const std::uint8_t> report)
{
    if (!hasId(report, FeatureReport::UartEnable))
        return std::nullopt;
    return report[1] != 0;
}

std::optional<std::uint16_t> parseLatch(std::span<const std::uint8_t> report)
{
    if (!hasId(report, FeatureReport::GpioValues))
        return std::nullopt;
    return bigEndian16(&report[1]);
}

std::optional<PinConfig> parsePinConfig(std::span<const std::uint8_t> report)
{
    if (!hasId(report, FeatureReport::PinConfig))
        return std::nullopt;
    PinConfig config;
    const std::uint8_t* p = &report[1];
    std::copy_n(p, PinCount, config.pins);
    p += PinCount;
    config.suspendValue = bigEndian16(p);
    p += 2;
    // Bit 15 of the suspend mode says whether the suspend values are used.
    const std::uint16_t mode = bigEndian16(p);
    p += 2;
    config.useSuspendValues = (mode & 0x8000) != 0;
    config.suspendMode = mode & 0x7FFF;
    config.rs485Level = *p++;
    config.clkDiv = *p;
    return config;
}

std::span<const std::uint8_t> uartBytesOfInputReport(std::span<const std::uint8_t> report)
{
    if (report.empty())
        return {};
    const std::uint8_t count = report[0];
    if (count == 0 || count > MaxUartBytesPerReport || report.size() < std::size_t{1} + count)
        return {};
    return report.subspan(1, count);
}

} // namespace korvex::hidtouart
