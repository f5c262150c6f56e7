#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The seam below the library: what it needs from the HID layer. hidapi serves it in the product, a
// simulated CP2110 in the tests.
namespace korvex::hidtouart {

struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serialNumber; // 8-bit text
    std::string manufacturer; // 8-bit text
    std::string product;      // 8-bit text
};

// One open HID device. Every report buffer starts with the report id.
class HidConnection {
public:
    virtual ~HidConnection() = default;
    // Waits up to timeoutMs (0: only what is queued) for one input report; returns its size, 0 when none
    // came, -1 when the device failed.
    virtual int readInputReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) = 0;
    // Returns the bytes written or -1.
    virtual int writeOutputReport(const std::uint8_t* report, std::size_t size) = 0;
    virtual int sendFeatureReport(const std::uint8_t* report, std::size_t size) = 0;
    // buffer[0] holds the wanted id; returns the size received, id included, or -1.
    virtual int getFeatureReport(std::uint8_t* buffer, std::size_t size) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Every HID device attached now, in a stable order.
    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // nullptr when the device cannot be opened; error then holds why, as an errno value (0: not known).
    virtual std::unique_ptr<HidConnection> open(const std::string& path, int& error) = 0;
};

} // namespace korvex::hidtouart
