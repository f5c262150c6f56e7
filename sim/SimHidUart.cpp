// The bridge library's C entry points over one simulated bridge with the meter behind it.
#include "hidtouart/HidUartApi.h"
#include "hidtouart/HidUartStatus.h"
#include "sim/SimulatedStream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

using namespace korvex::hidtouart;

namespace {

constexpr std::uint16_t kVendorId = 0x10C4;
constexpr std::uint16_t kProductId = 0xEA80;
constexpr const char* kVendorText = "10C4";
constexpr const char* kProductText = "EA80";
constexpr const char* kPathText = "/dev/hidraw-sim0";
constexpr const char* kSerialText = "SIM00001";
constexpr std::uint8_t kPartNumber = 0x0A;
constexpr std::uint8_t kVersion = 1;
// The largest read or write the bridge accepts in one call.
constexpr std::uint32_t kMaxTransfer = 32768;
// The device-interface class of HID devices, in its in-memory byte order.
constexpr std::uint8_t kHidGuid[16] = {0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11,
                                       0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};

struct Bridge {
    std::mutex mutex;
    std::condition_variable closed;
    bool opened = false;
    std::uint32_t baudRate = 115200;
    std::uint8_t dataBits = 3;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    std::uint8_t flowControl = 0;
    std::uint32_t readTimeoutMs = 1000;
    std::uint32_t writeTimeoutMs = 1000;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    korvex::sim::SimulatedStream stream;

    std::uint64_t ElapsedMs() const
    {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    }
};

Bridge& TheBridge()
{
    static Bridge bridge;
    return bridge;
}

bool Matches(std::uint16_t vid, std::uint16_t pid)
{
    return (vid == 0 || vid == kVendorId) && (pid == 0 || pid == kProductId);
}

const char* StringOfKind(std::uint32_t kind)
{
    switch (kind) {
    case 1: return kVendorText;
    case 2: return kProductText;
    case 3: return kPathText;
    case 4: return kSerialText;
    default: return nullptr;
    }
}

int CopyString(std::uint32_t kind, char* buffer)
{
    if (!buffer)
        return HID_UART_INVALID_PARAMETER;
    const char* text = StringOfKind(kind);
    if (!text)
        return HID_UART_INVALID_PARAMETER;
    std::strncpy(buffer, text, HidUartStringLength - 1);
    buffer[HidUartStringLength - 1] = '\0';
    return HID_UART_SUCCESS;
}

// The open bridge behind a handle, or null when the handle is not the open bridge.
Bridge* OpenBridge(void* device)
{
    Bridge& bridge = TheBridge();
    return device == &bridge && bridge.opened ? &bridge : nullptr;
}

}  // namespace

extern "C" {

// Answers with the statuses of our own library as well.
HIDUART_EXPORT int KorvexHidUart_Statuses()
{
    return 1;
}

int HidUart_GetNumDevices(std::uint32_t* numDevices, std::uint16_t vid, std::uint16_t pid)
{
    if (!numDevices)
        return HID_UART_INVALID_PARAMETER;
    *numDevices = Matches(vid, pid) ? 1 : 0;
    return HID_UART_SUCCESS;
}

int HidUart_GetString(std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid, char* deviceString,
                      std::uint32_t options)
{
    if (deviceNum != 0 || !Matches(vid, pid))
        return HID_UART_DEVICE_NOT_FOUND;
    return CopyString(options, deviceString);
}

int HidUart_GetOpenedString(void* device, char* deviceString, std::uint32_t options)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    return CopyString(options, deviceString);
}

int HidUart_GetHidGuid(void* guid)
{
    if (!guid)
        return HID_UART_INVALID_PARAMETER;
    std::memcpy(guid, kHidGuid, sizeof kHidGuid);
    return HID_UART_SUCCESS;
}

int HidUart_Open(void** device, std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid)
{
    if (!device)
        return HID_UART_INVALID_PARAMETER;
    if (deviceNum != 0 || !Matches(vid, pid))
        return HID_UART_DEVICE_NOT_FOUND;
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (bridge.opened)
        return HID_UART_DEVICE_ACCESS_ERROR;
    bridge.opened = true;
    // The meter kept talking while the bridge was closed; none of that was received.
    bridge.stream.SkipTo(bridge.ElapsedMs());
    *device = &bridge;
    return HID_UART_SUCCESS;
}

int HidUart_Close(void* device)
{
    Bridge& bridge = TheBridge();
    {
        std::lock_guard lock(bridge.mutex);
        if (!OpenBridge(device))
            return HID_UART_INVALID_DEVICE_OBJECT;
        bridge.opened = false;
    }
    bridge.closed.notify_all();
    return HID_UART_SUCCESS;
}

int HidUart_IsOpened(void* device, int* opened)
{
    if (!opened)
        return HID_UART_INVALID_PARAMETER;
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    *opened = OpenBridge(device) ? 1 : 0;
    return HID_UART_SUCCESS;
}

int HidUart_GetPartNumber(void* device, std::uint8_t* partNumber, std::uint8_t* version)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (!partNumber || !version)
        return HID_UART_INVALID_PARAMETER;
    *partNumber = kPartNumber;
    *version = kVersion;
    return HID_UART_SUCCESS;
}

int HidUart_SetUartConfig(void* device, std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity,
                          std::uint8_t stopBits, std::uint8_t flowControl)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (baudRate < 300 || baudRate > 1000000 || dataBits > 3 || parity > 4 || stopBits > 1 || flowControl > 1)
        return HID_UART_INVALID_PARAMETER;
    bridge.baudRate = baudRate;
    bridge.dataBits = dataBits;
    bridge.parity = parity;
    bridge.stopBits = stopBits;
    bridge.flowControl = flowControl;
    return HID_UART_SUCCESS;
}

int HidUart_GetUartConfig(void* device, std::uint32_t* baudRate, std::uint8_t* dataBits, std::uint8_t* parity,
                          std::uint8_t* stopBits, std::uint8_t* flowControl)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (!baudRate || !dataBits || !parity || !stopBits || !flowControl)
        return HID_UART_INVALID_PARAMETER;
    *baudRate = bridge.baudRate;
    *dataBits = bridge.dataBits;
    *parity = bridge.parity;
    *stopBits = bridge.stopBits;
    *flowControl = bridge.flowControl;
    return HID_UART_SUCCESS;
}

int HidUart_SetTimeouts(void* device, std::uint32_t readTimeout, std::uint32_t writeTimeout)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    bridge.readTimeoutMs = readTimeout;
    bridge.writeTimeoutMs = writeTimeout;
    return HID_UART_SUCCESS;
}

int HidUart_Read(void* device, std::uint8_t* buffer, std::uint32_t numBytesToRead, std::uint32_t* numBytesRead)
{
    Bridge& bridge = TheBridge();
    std::unique_lock lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (!buffer || !numBytesRead)
        return HID_UART_INVALID_PARAMETER;
    *numBytesRead = 0;
    if (numBytesToRead == 0 || numBytesToRead > kMaxTransfer)
        return HID_UART_INVALID_REQUEST_LENGTH;

    // With nothing waiting, wait up to the read time-out for the meter's next byte.
    const std::uint64_t deadline = bridge.ElapsedMs() + bridge.readTimeoutMs;
    while (bridge.stream.Pending(bridge.ElapsedMs()) == 0) {
        const std::uint64_t now = bridge.ElapsedMs();
        if (now >= deadline)
            break;
        const std::uint64_t next = korvex::sim::SimulatedStream::TimeOfByte(
            korvex::sim::SimulatedStream::SentBy(now) + 1);
        const std::uint64_t until = std::min(deadline, std::max(next, now + 1));
        bridge.closed.wait_for(lock, std::chrono::milliseconds(until - now));
        if (!OpenBridge(device))
            return HID_UART_READ_ERROR;
    }
    const std::vector<std::uint8_t> bytes = bridge.stream.Take(bridge.ElapsedMs(), numBytesToRead);
    if (!bytes.empty())
        std::memcpy(buffer, bytes.data(), bytes.size());
    *numBytesRead = static_cast<std::uint32_t>(bytes.size());
    return bytes.size() == numBytesToRead ? HID_UART_SUCCESS : HID_UART_READ_TIMED_OUT;
}

int HidUart_Write(void* device, std::uint8_t* buffer, std::uint32_t numBytesToWrite, std::uint32_t* numBytesWritten)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (!buffer || !numBytesWritten)
        return HID_UART_INVALID_PARAMETER;
    if (numBytesToWrite == 0 || numBytesToWrite > kMaxTransfer)
        return HID_UART_INVALID_REQUEST_LENGTH;
    // The meter listens to nothing; the bytes go out and are lost.
    *numBytesWritten = numBytesToWrite;
    return HID_UART_SUCCESS;
}

int HidUart_GetPinConfig(void* device, std::uint8_t* pinConfig, int* useSuspendValues, std::uint16_t* suspendValue,
                         std::uint16_t* suspendMode, std::uint8_t* rs485Level, std::uint8_t* clkDiv)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (!pinConfig || !useSuspendValues || !suspendValue || !suspendMode || !rs485Level || !clkDiv)
        return HID_UART_INVALID_PARAMETER;
    // Only the first pin's mode is reported: the caller's array length is not known here.
    *pinConfig = 0;
    *useSuspendValues = 0;
    *suspendValue = 0xFFFF;
    *suspendMode = 0;
    *rs485Level = 0;
    *clkDiv = 0;
    return HID_UART_SUCCESS;
}

int HidUart_ReadLatch(void* device, std::uint16_t* latchValue)
{
    Bridge& bridge = TheBridge();
    std::lock_guard lock(bridge.mutex);
    if (!OpenBridge(device))
        return HID_UART_INVALID_DEVICE_OBJECT;
    if (!latchValue)
        return HID_UART_INVALID_PARAMETER;
    // Every pin idles high.
    *latchValue = 0xFFFF;
    return HID_UART_SUCCESS;
}

}  // extern "C"
