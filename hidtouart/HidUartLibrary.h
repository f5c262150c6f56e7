#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Cp2110Device.h"
#include "HidBackend.h"

namespace korvex::hidtouart {

// The state behind the C entry points: device enumeration by vendor and product id, and the table of
// open handles. Safe to call from several threads.
//
// Device numbers refer to the list taken by the last getNumDevices: getString and open answer from that
// list and open its node by path, so a device plugged in or pulled out in between shifts nothing.
class HidUartLibrary {
public:
    explicit HidUartLibrary(std::unique_ptr<HidBackend> backend);
    ~HidUartLibrary();

    int getNumDevices(std::uint32_t* count, std::uint16_t vid, std::uint16_t pid);
    int getString(std::uint32_t index, std::uint16_t vid, std::uint16_t pid, char* text, std::uint32_t kind);
    int getOpenedString(void* handle, char* text, std::uint32_t kind);
    int open(void** handle, std::uint32_t index, std::uint16_t vid, std::uint16_t pid);
    int close(void* handle);
    int isOpened(void* handle, int* opened);
    int getPartNumber(void* handle, std::uint8_t* partNumber, std::uint8_t* version);
    int setUartConfig(void* handle, const UartConfig& config);
    int getUartConfig(void* handle, UartConfig* config);
    int setTimeouts(void* handle, std::uint32_t readMs, std::uint32_t writeMs);
    int read(void* handle, std::uint8_t* buffer, std::uint32_t want, std::uint32_t* got);
    int write(void* handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t* written);
    int getPinConfig(void* handle, PinConfig* config);
    int readLatch(void* handle, std::uint16_t* latch);

    // The HID interface class identifier, 16 bytes in the platform's GUID layout.
    static void hidGuid(std::uint8_t out[16]);

private:
    // The devices of the snapshot that match the ids; takes a fresh snapshot first when asked to, or
    // when none was taken yet.
    std::vector<HidDeviceInfo> matching(std::uint16_t vid, std::uint16_t pid, bool fresh);
    std::shared_ptr<Cp2110Device> find(void* handle);

    std::mutex backendMutex_;
    std::unique_ptr<HidBackend> backend_;
    std::optional<std::vector<HidDeviceInfo>> snapshot_;
    std::mutex handlesMutex_;
    std::map<void*, std::shared_ptr<Cp2110Device>> handles_;
};

// The text of one string kind for a device, or nothing for an unknown kind.
std::optional<std::string> deviceString(const HidDeviceInfo& info, std::uint32_t kind);

} // namespace korvex::hidtouart
