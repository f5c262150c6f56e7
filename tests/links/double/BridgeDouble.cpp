// A scriptable stand-in for the bridge library, built as libslabhidtouart.so beside the test executables.
// With no script it presents no devices. Tests script it through the TestDouble_* entry points
// (tests/links/BridgeDouble.h).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hidtouart/HidUartApi.h"

namespace {

constexpr int Success = 0x00;
constexpr int DeviceNotFound = 0x01;
constexpr int InvalidHandle = 0x02;
constexpr int InvalidParameter = 0x04;
constexpr int ReadError = 0x10;
constexpr int ReadTimedOut = 0x12;
constexpr std::size_t TextLength = 260;

struct ScriptedRead {
    std::vector<std::uint8_t> bytes;
    int status = Success;
};

struct Device {
    std::string serial, path, vendorId, productId;
    bool present = true;
    int openStatus = Success;
    int stringStatus[5] = {};
    bool readBackMismatch = false;
    std::deque<ScriptedRead> reads;
    std::uint32_t streamChunk = 0;
    std::uint8_t streamNext = 0;
};

struct UartSettings {
    std::uint32_t baud = 0;
    std::uint8_t dataBits = 0, parity = 0, stopBits = 0, flow = 0;
};

struct OpenHandle {
    std::size_t device = 0;
    UartSettings config;
    bool configured = false;
};

struct State {
    std::vector<Device> devices;
    std::map<std::string, int> forcedStatus;
    std::map<std::string, std::uint64_t> calls;
    std::map<void*, OpenHandle> handles;
    std::uintptr_t nextHandle = 0x1000;
    std::uint64_t readsWithoutHandle = 0;
    UartSettings lastConfig;
    bool configSet = false;
    std::uint32_t lastReadTimeout = 0, lastWriteTimeout = 0;
};

std::mutex mutex;
State state;

// Counts the call and answers a status forced by the script, if any (-1: none).
int enter(const char* entryPoint)
{
    ++state.calls[entryPoint];
    const auto it = state.forcedStatus.find(entryPoint);
    return it == state.forcedStatus.end() ? -1 : it->second;
}

std::vector<std::size_t> presentDevices()
{
    std::vector<std::size_t> present;
    for (std::size_t i = 0; i < state.devices.size(); ++i)
        if (state.devices[i].present)
            present.push_back(i);
    return present;
}

const std::string* textOf(const Device& device, std::uint32_t kind)
{
    switch (kind) {
    case 1:
        return &device.vendorId;
    case 2:
        return &device.productId;
    case 3:
        return &device.path;
    case 4:
        return &device.serial;
    default:
        return nullptr;
    }
}

void copyText(const std::string& text, char* out)
{
    const std::size_t n = std::min(text.size(), TextLength - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

OpenHandle* findHandle(void* handle)
{
    const auto it = state.handles.find(handle);
    return it == state.handles.end() ? nullptr : &it->second;
}

Device* deviceById(int id)
{
    return id >= 0 && static_cast<std::size_t>(id) < state.devices.size() ? &state.devices[id] : nullptr;
}

} // namespace

extern "C" {

// Answers with the statuses of our own library as well.
HIDUART_EXPORT int KorvexHidUart_Statuses()
{
    return 1;
}

HIDUART_EXPORT void TestDouble_Reset()
{
    std::lock_guard lock(mutex);
    state = State{};
}

HIDUART_EXPORT int TestDouble_AddDevice(const char* serial, const char* path, const char* vendorId,
                                        const char* productId)
{
    std::lock_guard lock(mutex);
    Device device;
    device.serial = serial;
    device.path = path;
    device.vendorId = vendorId;
    device.productId = productId;
    state.devices.push_back(std::move(device));
    return static_cast<int>(state.devices.size() - 1);
}

HIDUART_EXPORT void TestDouble_RemoveDevice(int id)
{
    std::lock_guard lock(mutex);
    if (Device* device = deviceById(id))
        device->present = false;
}

HIDUART_EXPORT void TestDouble_SetOpenStatus(int id, int status)
{
    std::lock_guard lock(mutex);
    if (Device* device = deviceById(id))
        device->openStatus = status;
}

HIDUART_EXPORT void TestDouble_SetStringStatus(int id, std::uint32_t kind, int status)
{
    std::lock_guard lock(mutex);
    if (Device* device = deviceById(id); device && kind >= 1 && kind <= 4)
        device->stringStatus[kind] = status;
}

HIDUART_EXPORT void TestDouble_SetReadBackMismatch(int id, int on)
{
    std::lock_guard lock(mutex);
    if (Device* device = deviceById(id))
        device->readBackMismatch = on != 0;
}

HIDUART_EXPORT void TestDouble_SetStatus(const char* entryPoint, int status)
{
    std::lock_guard lock(mutex);
    state.forcedStatus[entryPoint] = status;
}

HIDUART_EXPORT void TestDouble_QueueRead(int id, const std::uint8_t* bytes, std::uint32_t len, int status)
{
    std::lock_guard lock(mutex);
    if (Device* device = deviceById(id))
        device->reads.push_back({std::vector<std::uint8_t>(bytes, bytes + len), status});
}

HIDUART_EXPORT void TestDouble_SetStream(int id, std::uint32_t chunkSize)
{
    std::lock_guard lock(mutex);
    if (Device* device = deviceById(id))
        device->streamChunk = chunkSize;
}

HIDUART_EXPORT std::uint32_t TestDouble_PendingReads(int id)
{
    std::lock_guard lock(mutex);
    const Device* device = deviceById(id);
    return device ? static_cast<std::uint32_t>(device->reads.size()) : 0;
}

HIDUART_EXPORT std::uint64_t TestDouble_CallCount(const char* entryPoint)
{
    std::lock_guard lock(mutex);
    const auto it = state.calls.find(entryPoint);
    return it == state.calls.end() ? 0 : it->second;
}

HIDUART_EXPORT std::uint64_t TestDouble_TotalCalls()
{
    std::lock_guard lock(mutex);
    std::uint64_t total = 0;
    for (const auto& [name, count] : state.calls)
        total += count;
    return total;
}

HIDUART_EXPORT int TestDouble_OpenHandles()
{
    std::lock_guard lock(mutex);
    return static_cast<int>(state.handles.size());
}

HIDUART_EXPORT std::uint64_t TestDouble_ReadsWithoutHandle()
{
    std::lock_guard lock(mutex);
    return state.readsWithoutHandle;
}

HIDUART_EXPORT int TestDouble_LastUartConfig(std::uint32_t* baud, std::uint8_t* dataBits, std::uint8_t* parity,
                                             std::uint8_t* stopBits, std::uint8_t* flow)
{
    std::lock_guard lock(mutex);
    *baud = state.lastConfig.baud;
    *dataBits = state.lastConfig.dataBits;
    *parity = state.lastConfig.parity;
    *stopBits = state.lastConfig.stopBits;
    *flow = state.lastConfig.flow;
    return state.configSet ? 1 : 0;
}

HIDUART_EXPORT void TestDouble_LastTimeouts(std::uint32_t* readMs, std::uint32_t* writeMs)
{
    std::lock_guard lock(mutex);
    *readMs = state.lastReadTimeout;
    *writeMs = state.lastWriteTimeout;
}

int HidUart_GetNumDevices(std::uint32_t* numDevices, std::uint16_t, std::uint16_t)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetNumDevices"); forced >= 0)
        return forced;
    *numDevices = static_cast<std::uint32_t>(presentDevices().size());
    return Success;
}

int HidUart_GetString(std::uint32_t deviceNum, std::uint16_t, std::uint16_t, char* deviceString,
                      std::uint32_t options)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetString"); forced >= 0)
        return forced;
    const auto present = presentDevices();
    if (deviceNum >= present.size())
        return DeviceNotFound;
    const Device& device = state.devices[present[deviceNum]];
    const std::string* text = textOf(device, options);
    if (!text)
        return InvalidParameter;
    if (device.stringStatus[options] != Success)
        return device.stringStatus[options];
    copyText(*text, deviceString);
    return Success;
}

int HidUart_GetOpenedString(void* handle, char* deviceString, std::uint32_t options)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetOpenedString"); forced >= 0)
        return forced;
    const OpenHandle* open = findHandle(handle);
    if (!open)
        return InvalidHandle;
    const std::string* text = textOf(state.devices[open->device], options);
    if (!text)
        return InvalidParameter;
    copyText(*text, deviceString);
    return Success;
}

int HidUart_GetHidGuid(void* guid)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetHidGuid"); forced >= 0)
        return forced;
    static constexpr std::uint8_t hidGuid[16] = {0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11,
                                                 0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};
    std::memcpy(guid, hidGuid, sizeof hidGuid);
    return Success;
}

int HidUart_Open(void** handle, std::uint32_t deviceNum, std::uint16_t, std::uint16_t)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_Open"); forced >= 0)
        return forced;
    const auto present = presentDevices();
    if (deviceNum >= present.size())
        return DeviceNotFound;
    if (const int status = state.devices[present[deviceNum]].openStatus; status != Success)
        return status;
    void* token = reinterpret_cast<void*>(state.nextHandle++);
    state.handles[token] = OpenHandle{present[deviceNum], {}, false};
    *handle = token;
    return Success;
}

int HidUart_Close(void* handle)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_Close"); forced >= 0) {
        state.handles.erase(handle);
        return forced;
    }
    return state.handles.erase(handle) ? Success : InvalidHandle;
}

int HidUart_IsOpened(void* handle, int* opened)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_IsOpened"); forced >= 0)
        return forced;
    *opened = findHandle(handle) ? 1 : 0;
    return Success;
}

int HidUart_GetPartNumber(void* handle, std::uint8_t* partNumber, std::uint8_t* version)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetPartNumber"); forced >= 0)
        return forced;
    if (!findHandle(handle))
        return InvalidHandle;
    *partNumber = 0x0A;
    *version = 1;
    return Success;
}

int HidUart_SetUartConfig(void* handle, std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity,
                          std::uint8_t stopBits, std::uint8_t flowControl)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_SetUartConfig"); forced >= 0)
        return forced;
    OpenHandle* open = findHandle(handle);
    if (!open)
        return InvalidHandle;
    open->config = {baudRate, dataBits, parity, stopBits, flowControl};
    open->configured = true;
    state.lastConfig = open->config;
    state.configSet = true;
    return Success;
}

int HidUart_GetUartConfig(void* handle, std::uint32_t* baudRate, std::uint8_t* dataBits, std::uint8_t* parity,
                          std::uint8_t* stopBits, std::uint8_t* flowControl)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetUartConfig"); forced >= 0)
        return forced;
    const OpenHandle* open = findHandle(handle);
    if (!open)
        return InvalidHandle;
    *baudRate = open->config.baud + (state.devices[open->device].readBackMismatch ? 1 : 0);
    *dataBits = open->config.dataBits;
    *parity = open->config.parity;
    *stopBits = open->config.stopBits;
    *flowControl = open->config.flow;
    return Success;
}

int HidUart_SetTimeouts(void* handle, std::uint32_t readTimeout, std::uint32_t writeTimeout)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_SetTimeouts"); forced >= 0)
        return forced;
    if (!findHandle(handle))
        return InvalidHandle;
    state.lastReadTimeout = readTimeout;
    state.lastWriteTimeout = writeTimeout;
    return Success;
}

int HidUart_Read(void* handle, std::uint8_t* buffer, std::uint32_t numBytesToRead, std::uint32_t* numBytesRead)
{
    std::lock_guard lock(mutex);
    *numBytesRead = 0;
    if (const int forced = enter("HidUart_Read"); forced >= 0)
        return forced;
    const OpenHandle* open = findHandle(handle);
    if (!open) {
        ++state.readsWithoutHandle;
        return InvalidHandle;
    }
    Device& device = state.devices[open->device];
    if (!device.present)
        return ReadError;
    if (!device.reads.empty()) {
        const ScriptedRead read = std::move(device.reads.front());
        device.reads.pop_front();
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(read.bytes.size(), numBytesToRead));
        std::copy_n(read.bytes.begin(), n, buffer);
        *numBytesRead = n;
        return read.status;
    }
    const std::uint32_t n = std::min(device.streamChunk, numBytesToRead);
    for (std::uint32_t i = 0; i < n; ++i)
        buffer[i] = device.streamNext++;
    *numBytesRead = n;
    return n == numBytesToRead ? Success : ReadTimedOut;
}

int HidUart_Write(void* handle, std::uint8_t*, std::uint32_t numBytesToWrite, std::uint32_t* numBytesWritten)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_Write"); forced >= 0)
        return forced;
    if (!findHandle(handle))
        return InvalidHandle;
    *numBytesWritten = numBytesToWrite;
    return Success;
}

int HidUart_GetPinConfig(void* handle, std::uint8_t* pinConfig, int* useSuspendValues, std::uint16_t* suspendValue,
                         std::uint16_t* suspendMode, std::uint8_t* rs485Level, std::uint8_t* clkDiv)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_GetPinConfig"); forced >= 0)
        return forced;
    if (!findHandle(handle))
        return InvalidHandle;
    std::memset(pinConfig, 0, 13);
    *useSuspendValues = 0;
    *suspendValue = 0;
    *suspendMode = 0;
    *rs485Level = 0;
    *clkDiv = 0;
    return Success;
}

int HidUart_ReadLatch(void* handle, std::uint16_t* latchValue)
{
    std::lock_guard lock(mutex);
    if (const int forced = enter("HidUart_ReadLatch"); forced >= 0)
        return forced;
    if (!findHandle(handle))
        return InvalidHandle;
    *latchValue = 0;
    return Success;
}

} // extern "C"
