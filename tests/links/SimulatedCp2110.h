#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "hidtouart/HidBackend.h"

namespace korvex::testing {

// CP2110 bridges at HID report level, below the bridge library: feature reports change and answer the
// chip's state, input reports are queued by the test, and a unit can vanish.
class SimulatedCp2110 final : public hidtouart::HidBackend {
public:
    using Report = std::vector<std::uint8_t>;

    struct Unit {
        hidtouart::HidDeviceInfo info;
        // Input reports already waiting, and ones that arrive only while a read waits (time-out above 0).
        std::deque<Report> queued;
        std::deque<Report> arrivingLater;
        bool vanished = false;
        // The errno with which opening the node is refused; 0: it opens.
        int openError = 0;
        // Pulled out as soon as the last queued report has been read.
        bool vanishWhenDrained = false;
        bool uartEnabled = false;
        std::uint8_t partNumber = 0x0A;
        std::uint8_t version = 0x01;
        Report uartConfig = {0x50, 0x00, 0x00, 0x25, 0x80, 0x00, 0x00, 0x03, 0x00};
        std::vector<Report> featuresSent;
        std::vector<Report> outputReports;
        std::vector<int> readTimeouts;
    };

    std::shared_ptr<Unit> addUnit(const std::string& path, std::uint16_t vid, std::uint16_t pid,
                                  const std::string& serial);
    // A unit plugged in that enumerates ahead of every other.
    std::shared_ptr<Unit> addUnitFirst(const std::string& path, std::uint16_t vid, std::uint16_t pid,
                                       const std::string& serial);
    // How often the HID devices were enumerated.
    int enumerations() const { return enumerations_; }

    // Queues the bytes as input reports of the given sizes (the last size repeats).
    static void queueAsReports(Unit& unit, const std::vector<std::uint8_t>& bytes, std::vector<std::size_t> sizes);

    std::vector<hidtouart::HidDeviceInfo> enumerate() override;
    std::unique_ptr<hidtouart::HidConnection> open(const std::string& path, int& error) override;

    // Guards every Unit for tests that touch one while the library reads it on another thread.
    static std::mutex& mutex();

private:
    std::vector<std::shared_ptr<Unit>> units_;
    int enumerations_ = 0;
};

} // namespace korvex::testing
