#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "Cp2110Reports.h"
#include "HidBackend.h"
#include "NodeLock.h"

namespace korvex::hidtouart {

// One open CP2110: UART set-up through feature reports, reads gathered from input reports.
// Read may run on one thread while another asks for the device's identity.
class Cp2110Device {
public:
    // claim keeps other programs off the node until stop().
    Cp2110Device(std::unique_ptr<HidConnection> connection, HidDeviceInfo info, NodeLock claim = {});

    // Turns the UART on and empties both FIFOs; a status other than success means unusable.
    int start();
    // Turns the UART off unless the device has gone, then lets other programs open the node.
    void stop();

    // What the device was when it opened; stays answerable after the device has gone.
    const HidDeviceInfo& info() const { return info_; }

    int partNumber(PartVersion& out);
    int setUartConfig(const UartConfig& config);
    int uartConfig(UartConfig& out);
    int uartEnabled(bool& out);
    // Writes to hidraw complete or fail at once, so only the read time-out is kept.
    void setReadTimeout(std::uint32_t readMs);
    // Gathers up to `want` bytes within the read time-out; bytes beyond `want` wait for the next call.
    int read(std::uint8_t* buffer, std::uint32_t want, std::uint32_t& got);
    int write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written);
    int pinConfig(PinConfig& out);
    int latch(std::uint16_t& out);

private:
    int sendFeature(const Report& report);
    int getFeature(FeatureReport id, Report& out);
    std::uint32_t takeSurplus(std::uint8_t* buffer, std::uint32_t want);

    const HidDeviceInfo info_;
    std::mutex mutex_;
    std::unique_ptr<HidConnection> connection_;
    NodeLock claim_;
    std::deque<std::uint8_t> surplus_;
    bool gone_ = false;
    std::atomic<std::uint32_t> readTimeoutMs_{0};
};

} // namespace korvex::hidtouart
