#include "Cp2110Device.h"

#include <algorithm>
#include <chrono>

#include "HidUartStatus.h"

namespace korvex::hidtouart {

Cp2110Device::Cp2110Device(std::unique_ptr<HidConnection> connection, HidDeviceInfo info, NodeLock claim)
    : info_(std::move(info))
    , connection_(std::move(connection))
    , claim_(std::move(claim))
{
}

int Cp2110Device::start()
{
    std::lock_guard lock(mutex_);
    // Another part behind the same ids gets none of the CP2110's set-up.
    Report version;
    if (const int status = getFeature(FeatureReport::Version, version); status != HID_UART_SUCCESS)
        return status;
    if (parseVersion(version)->partNumber != Cp2110PartNumber)
        return HID_UART_DEVICE_NOT_SUPPORTED;
    if (const int status = sendFeature(reportForUartEnable(true)); status != HID_UART_SUCCESS)
        return status;
    return sendFeature(reportForPurge(PurgeTarget::Both));
}

void Cp2110Device::stop()
{
    std::lock_guard lock(mutex_);
    if (!gone_)
        sendFeature(reportForUartEnable(false));
    connection_.reset();
    claim_.release();
    gone_ = true;
}

int Cp2110Device::partNumber(PartVersion& out)
{
    std::lock_guard lock(mutex_);
    Report report;
    if (const int status = getFeature(FeatureReport::Version, report); status != HID_UART_SUCCESS)
        return status;
    out = *parseVersion(report);
    return HID_UART_SUCCESS;
}

int Cp2110Device::setUartConfig(const UartConfig& config)
{
    if (!isValidUartConfig(config))
        return HID_UART_INVALID_PARAMETER;
    std::lock_guard lock(mutex_);
    if (const int status = sendFeature(reportForUartConfig(config)); status != HID_UART_SUCCESS)
        return status;
    // Bytes that came in at the settings before are no data of the new ones.
    return sendFeature(reportForPurge(PurgeTarget::Receive));
}

int Cp2110Device::uartConfig(UartConfig& out)
{
    std::lock_guard lock(mutex_);
    Report report;
    if (const int status = getFeature(FeatureReport::UartConfig, report); status != HID_UART_SUCCESS)
        return status;
    out = *parseUartConfig(report);
    return HID_UART_SUCCESS;
}

int Cp2110Device::uartEnabled(bool& out)
{
    std::lock_guard lock(mutex_);
    Report report;
    if (const int status = getFeature(FeatureReport::UartEnable, report); status != HID_UART_SUCCESS)
        return status;
    out = *parseUartEnable(report);
    return HID_UART_SUCCESS;
}

void Cp2110Device::setReadTimeout(std::uint32_t readMs)
{
    readTimeoutMs_ = readMs;
}

std::uint32_t Cp2110Device::takeSurplus(std::uint8_t* buffer, std::uint32_t want)
{
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(want, surplus_.size()));
    std::copy_n(surplus_.begin(), n, buffer);
    surplus_.erase(surplus_.begin(), surplus_.begin() + n);
    return n;
}

int Cp2110Device::read(std::uint8_t* buffer, std::uint32_t want, std::uint32_t& got)
{
    using Clock = std::chrono::steady_clock;
    got = 0;
    if (want == 0 || want > MaxReadLength)
        return HID_UART_INVALID_REQUEST_LENGTH;
    std::lock_guard lock(mutex_);
    got = takeSurplus(buffer, want);
    if (gone_)
        return got > 0 ? (got == want ? HID_UART_SUCCESS : HID_UART_READ_TIMED_OUT) : HID_UART_READ_ERROR;

    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_.load());
    std::uint8_t report[MaxReportSize];
    while (got < want) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int waitMs = static_cast<int>(std::max<decltype(left)>(left, 0));
        const int size = connection_->readInputReport(report, sizeof report, waitMs);
        if (size < 0) {
            // The device went away: what was gathered still goes out, later calls fail.
            gone_ = true;
            return got > 0 ? HID_UART_READ_TIMED_OUT : HID_UART_READ_ERROR;
        }
        if (size == 0) {
            if (waitMs == 0)
                break;
            continue;
        }
        const auto bytes = uartBytesOfInputReport({report, static_cast<std::size_t>(size)});
        const auto take = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), want - got));
        std::copy_n(bytes.begin(), take, buffer + got);
        got += take;
        surplus_.insert(surplus_.end(), bytes.begin() + take, bytes.end());
    }
    return got == want ? HID_UART_SUCCESS : HID_UART_READ_TIMED_OUT;
}

int Cp2110Device::write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written)
{
    written = 0;
    if (count == 0 || count > MaxWriteLength)
        return HID_UART_INVALID_REQUEST_LENGTH;
    std::lock_guard lock(mutex_);
    if (gone_)
        return HID_UART_WRITE_ERROR;
    for (const Report& report : reportsForUartData({bytes, count})) {
        if (connection_->writeOutputReport(report.data(), report.size()) != static_cast<int>(report.size()))
            return HID_UART_WRITE_ERROR;
        written += static_cast<std::uint32_t>(report.size() - 1);
    }
    return HID_UART_SUCCESS;
}

int Cp2110Device::pinConfig(PinConfig& out)
{
    std::lock_guard lock(mutex_);
    Report report;
    if (const int status = getFeature(FeatureReport::PinConfig, report); status != HID_UART_SUCCESS)
        return status;
    out = *parsePinConfig(report);
    return HID_UART_SUCCESS;
}

int Cp2110Device::latch(std::uint16_t& out)
{
    std::lock_guard lock(mutex_);
    Report report;
    if (const int status = getFeature(FeatureReport::GpioValues, report); status != HID_UART_SUCCESS)
        return status;
    out = *parseLatch(report);
    return HID_UART_SUCCESS;
}

int Cp2110Device::sendFeature(const Report& report)
{
    if (gone_)
        return HID_UART_DEVICE_NOT_FOUND;
    const int sent = connection_->sendFeatureReport(report.data(), report.size());
    return sent == static_cast<int>(report.size()) ? HID_UART_SUCCESS : HID_UART_DEVICE_IO_FAILED;
}

int Cp2110Device::getFeature(FeatureReport id, Report& out)
{
    if (gone_)
        return HID_UART_DEVICE_NOT_FOUND;
    out.assign(featureReportSize(id), 0);
    out[0] = static_cast<std::uint8_t>(id);
    const int size = connection_->getFeatureReport(out.data(), out.size());
    if (size < static_cast<int>(out.size()) || out[0] != static_cast<std::uint8_t>(id))
        return HID_UART_DEVICE_IO_FAILED;
    return HID_UART_SUCCESS;
}

} // namespace korvex::hidtouart
