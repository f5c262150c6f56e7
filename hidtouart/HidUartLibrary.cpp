#include "HidUartLibrary.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "HidUartStatus.h"

namespace korvex::hidtouart {
namespace {

std::string hex4(std::uint16_t value)
{
    char text[5];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

void copyText(const std::string& text, char* out)
{
    const std::size_t n = std::min<std::size_t>(text.size(), HidUartStringLength - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

std::optional<std::string> deviceString(const HidDeviceInfo& info, std::uint32_t kind)
{
    switch (kind) {
    case HID_UART_GET_VID_STR:
        return hex4(info.vendorId);
    case HID_UART_GET_PID_STR:
        return hex4(info.productId);
    case HID_UART_GET_PATH_STR:
        return info.path;
    case HID_UART_GET_SERIAL_STR:
        return info.serialNumber;
    case HID_UART_GET_MANUFACTURER_STR:
        return info.manufacturer;
    case HID_UART_GET_PRODUCT_STR:
        return info.product;
    default:
        return std::nullopt;
    }
}

HidUartLibrary::HidUartLibrary(std::unique_ptr<HidBackend> backend)
    : backend_(std::move(backend))
{
}

HidUartLibrary::~HidUartLibrary()
{
    for (auto& [handle, device] : handles_)
        device->stop();
}

std::vector<HidDeviceInfo> HidUartLibrary::matching(std::uint16_t vid, std::uint16_t pid, bool fresh)
{
    std::vector<HidDeviceInfo> devices;
    {
        std::lock_guard lock(backendMutex_);
        if (fresh || !snapshot_)
            snapshot_ = backend_->enumerate();
        devices = *snapshot_;
    }
    std::erase_if(devices, [&](const HidDeviceInfo& d) {
        return (vid != 0 && d.vendorId != vid) || (pid != 0 && d.productId != pid);
    });
    return devices;
}

std::shared_ptr<Cp2110Device> HidUartLibrary::find(void* handle)
{
    std::lock_guard lock(handlesMutex_);
    const auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
}

int HidUartLibrary::getNumDevices(std::uint32_t* count, std::uint16_t vid, std::uint16_t pid)
{
    if (!count)
        return HID_UART_INVALID_PARAMETER;
    *count = static_cast<std::uint32_t>(matching(vid, pid, true).size());
    return HID_UART_SUCCESS;
}

int HidUartLibrary::getString(std::uint32_t index, std::uint16_t vid, std::uint16_t pid, char* text,
                              std::uint32_t kind)
{
    if (!text)
        return HID_UART_INVALID_PARAMETER;
    const auto devices = matching(vid, pid, false);
    if (index >= devices.size())
        return HID_UART_DEVICE_NOT_FOUND;
    const auto value = deviceString(devices[index], kind);
    if (!value)
        return HID_UART_INVALID_PARAMETER;
    copyText(*value, text);
    return HID_UART_SUCCESS;
}

int HidUartLibrary::getOpenedString(void* handle, char* text, std::uint32_t kind)
{
    if (!text)
        return HID_UART_INVALID_PARAMETER;
    const auto device = find(handle);
    if (!device)
        return HID_UART_INVALID_DEVICE_OBJECT;
    const auto value = deviceString(device->info(), kind);
    if (!value)
        return HID_UART_INVALID_PARAMETER;
    copyText(*value, text);
    return HID_UART_SUCCESS;
}

int HidUartLibrary::open(void** handle, std::uint32_t index, std::uint16_t vid, std::uint16_t pid)
{
    if (!handle)
        return HID_UART_INVALID_PARAMETER;
    *handle = nullptr;
    const auto devices = matching(vid, pid, false);
    if (index >= devices.size())
        return HID_UART_DEVICE_NOT_FOUND;
    const HidDeviceInfo& info = devices[index];
    // With ids 0 every HID device is listed: anything but a CP2110 must not receive its reports.
    if (info.vendorId != Cp2110VendorId || info.productId != Cp2110ProductId)
        return HID_UART_DEVICE_NOT_FOUND;
    NodeLock claim(info.path);
    if (claim.busy())
        return KORVEX_HID_UART_IN_USE;
    std::unique_ptr<HidConnection> connection;
    int error = 0;
    {
        std::lock_guard lock(backendMutex_);
        connection = backend_->open(info.path, error);
    }
    if (!connection)
        return error == EACCES || error == EPERM ? KORVEX_HID_UART_PERMISSION_DENIED : HID_UART_DEVICE_ACCESS_ERROR;
    auto device = std::make_shared<Cp2110Device>(std::move(connection), info, std::move(claim));
    if (const int status = device->start(); status != HID_UART_SUCCESS)
        return status;
    std::lock_guard lock(handlesMutex_);
    handles_[device.get()] = device;
    *handle = device.get();
    return HID_UART_SUCCESS;
}

int HidUartLibrary::close(void* handle)
{
    std::shared_ptr<Cp2110Device> device;
    {
        std::lock_guard lock(handlesMutex_);
        const auto it = handles_.find(handle);
        if (it == handles_.end())
            return HID_UART_INVALID_DEVICE_OBJECT;
        device = std::move(it->second);
        handles_.erase(it);
    }
    device->stop();
    return HID_UART_SUCCESS;
}

int HidUartLibrary::isOpened(void* handle, int* opened)
{
    if (!opened)
        return HID_UART_INVALID_PARAMETER;
    *opened = find(handle) ? 1 : 0;
    return HID_UART_SUCCESS;
}

int HidUartLibrary::getPartNumber(void* handle, std::uint8_t* partNumber, std::uint8_t* version)
{
    if (!partNumber || !version)
        return HID_UART_INVALID_PARAMETER;
    const auto device = find(handle);
    if (!device)
        return HID_UART_INVALID_DEVICE_OBJECT;
    PartVersion pv;
    const int status = device->partNumber(pv);
    if (status == HID_UART_SUCCESS) {
        *partNumber = pv.partNumber;
        *version = pv.version;
    }
    return status;
}

int HidUartLibrary::setUartConfig(void* handle, const UartConfig& config)
{
    const auto device = find(handle);
    return device ? device->setUartConfig(config) : HID_UART_INVALID_DEVICE_OBJECT;
}

int HidUartLibrary::getUartConfig(void* handle, UartConfig* config)
{
    if (!config)
        return HID_UART_INVALID_PARAMETER;
    const auto device = find(handle);
    return device ? device->uartConfig(*config) : HID_UART_INVALID_DEVICE_OBJECT;
}

int HidUartLibrary::setTimeouts(void* handle, std::uint32_t readMs, std::uint32_t)
{
    const auto device = find(handle);
    if (!device)
        return HID_UART_INVALID_DEVICE_OBJECT;
    device->setReadTimeout(readMs);
    return HID_UART_SUCCESS;
}

int HidUartLibrary::read(void* handle, std::uint8_t* buffer, std::uint32_t want, std::uint32_t* got)
{
    if (!buffer || !got)
        return HID_UART_INVALID_PARAMETER;
    *got = 0;
    const auto device = find(handle);
    return device ? device->read(buffer, want, *got) : HID_UART_INVALID_DEVICE_OBJECT;
}

int HidUartLibrary::write(void* handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t* written)
{
    if (!bytes || !written)
        return HID_UART_INVALID_PARAMETER;
    *written = 0;
    const auto device = find(handle);
    return device ? device->write(bytes, count, *written) : HID_UART_INVALID_DEVICE_OBJECT;
}

int HidUartLibrary::getPinConfig(void* handle, PinConfig* config)
{
    if (!config)
        return HID_UART_INVALID_PARAMETER;
    const auto device = find(handle);
    return device ? device->pinConfig(*config) : HID_UART_INVALID_DEVICE_OBJECT;
}

int HidUartLibrary::readLatch(void* handle, std::uint16_t* latch)
{
    if (!latch)
        return HID_UART_INVALID_PARAMETER;
    const auto device = find(handle);
    return device ? device->latch(*latch) : HID_UART_INVALID_DEVICE_OBJECT;
}

void HidUartLibrary::hidGuid(std::uint8_t out[16])
{
    // {4D1E55B2-F16F-11CF-88CB-001111000030}: the first three groups little-endian, the rest as written.
    static constexpr std::uint8_t guid[16] = {0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11,
                                              0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};
    std::memcpy(out, guid, sizeof guid);
}

} // namespace korvex::hidtouart
