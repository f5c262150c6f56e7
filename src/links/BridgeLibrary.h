#pragma once

#include <cstdint>
#include <memory>

#include <QString>

class QLibrary;

namespace korvex {

// The fifteen entry points of the bridge library, as resolved by name.
struct BridgeEntryPoints {
    int (*GetNumDevices)(std::uint32_t* numDevices, std::uint16_t vid, std::uint16_t pid) = nullptr;
    int (*GetString)(std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid, char* deviceString,
                     std::uint32_t options) = nullptr;
    int (*GetOpenedString)(void* device, char* deviceString, std::uint32_t options) = nullptr;
    int (*GetHidGuid)(void* guid) = nullptr;
    int (*Open)(void** device, std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid) = nullptr;
    int (*Close)(void* device) = nullptr;
    int (*IsOpened)(void* device, int* opened) = nullptr;
    int (*GetPartNumber)(void* device, std::uint8_t* partNumber, std::uint8_t* version) = nullptr;
    int (*SetUartConfig)(void* device, std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity,
                         std::uint8_t stopBits, std::uint8_t flowControl) = nullptr;
    int (*GetUartConfig)(void* device, std::uint32_t* baudRate, std::uint8_t* dataBits, std::uint8_t* parity,
                         std::uint8_t* stopBits, std::uint8_t* flowControl) = nullptr;
    int (*SetTimeouts)(void* device, std::uint32_t readTimeout, std::uint32_t writeTimeout) = nullptr;
    int (*Read)(void* device, std::uint8_t* buffer, std::uint32_t numBytesToRead, std::uint32_t* numBytesRead) = nullptr;
    int (*Write)(void* device, std::uint8_t* buffer, std::uint32_t numBytesToWrite,
                 std::uint32_t* numBytesWritten) = nullptr;
    int (*GetPinConfig)(void* device, std::uint8_t* pinConfig, int* useSuspendValues, std::uint16_t* suspendValue,
                        std::uint16_t* suspendMode, std::uint8_t* rs485Level, std::uint8_t* clkDiv) = nullptr;
    int (*ReadLatch)(void* device, std::uint16_t* latchValue) = nullptr;
    // Only in our own library: its statuses beyond the chip maker's may be trusted (links/BridgeStatus.h).
    int (*KorvexStatuses)() = nullptr;
};

// Text lengths the library writes into, NUL included.
inline constexpr std::uint32_t BridgeStringLength = 260;

// The bridge library loaded by full path. A missing file shows the "DLL File is not Exists!" box once; a
// file that does not load or lacks an entry point is reported on standard error. In either case the
// library counts as unbound and none of its entry points may be called.
class BridgeLibrary {
public:
    explicit BridgeLibrary(const QString& path);
    ~BridgeLibrary();
    BridgeLibrary(const BridgeLibrary&) = delete;
    BridgeLibrary& operator=(const BridgeLibrary&) = delete;

    bool isBound() const { return bound_; }
    // Valid only while isBound().
    const BridgeEntryPoints& api() const { return api_; }

    // The library's file name beside the program.
    static QString defaultPath();

private:
    bool resolve();
    static void showMissingFileBox();

    std::unique_ptr<QLibrary> library_;
    bool bound_ = false;
    BridgeEntryPoints api_;
};

} // namespace korvex
