#include "SimulatedCp2110.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvex::testing {
namespace {

class SimulatedConnection final : public hidtouart::HidConnection {
public:
    explicit SimulatedConnection(std::shared_ptr<SimulatedCp2110::Unit> unit)
        : unit_(std::move(unit))
    {
    }

    int readInputReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override
    {
        std::lock_guard lock(SimulatedCp2110::mutex());
        unit_->readTimeouts.push_back(timeoutMs);
        if (unit_->vanished)
            return -1;
        if (unit_->queued.empty() && unit_->vanishWhenDrained) {
            unit_->vanished = true;
            return -1;
        }
        auto* queue = !unit_->queued.empty() ? &unit_->queued
                      : (timeoutMs > 0 && !unit_->arrivingLater.empty()) ? &unit_->arrivingLater
                                                                         : nullptr;
        if (!queue)
            return 0;
        const SimulatedCp2110::Report report = queue->front();
        queue->pop_front();
        const std::size_t n = std::min(size, report.size());
        std::memcpy(buffer, report.data(), n);
        return static_cast<int>(n);
    }

    int writeOutputReport(const std::uint8_t* report, std::size_t size) override
    {
        std::lock_guard lock(SimulatedCp2110::mutex());
        if (unit_->vanished)
            return -1;
        unit_->outputReports.emplace_back(report, report + size);
        return static_cast<int>(size);
    }

    int sendFeatureReport(const std::uint8_t* report, std::size_t size) override
    {
        std::lock_guard lock(SimulatedCp2110::mutex());
        if (unit_->vanished || size == 0)
            return -1;
        unit_->featuresSent.emplace_back(report, report + size);
        switch (report[0]) {
        case 0x41:
            unit_->uartEnabled = size > 1 && report[1] == 1;
            break;
        case 0x43:
            if (size > 1 && (report[1] & 0x02))
                unit_->queued.clear();
            break;
        case 0x50:
            unit_->uartConfig.assign(report, report + size);
            break;
        default:
            break;
        }
        return static_cast<int>(size);
    }

    int getFeatureReport(std::uint8_t* buffer, std::size_t size) override
    {
        std::lock_guard lock(SimulatedCp2110::mutex());
        if (unit_->vanished)
            return -1;
        SimulatedCp2110::Report answer;
        switch (buffer[0]) {
        case 0x41:
            answer = {0x41, static_cast<std::uint8_t>(unit_->uartEnabled ? 1 : 0)};
            break;
        case 0x44:
            answer = {0x44, 0xA5, 0x0F};
            break;
        case 0x46:
            answer = {0x46, unit_->partNumber, unit_->version};
            break;
        case 0x50:
            answer = unit_->uartConfig;
            break;
        case 0x66:
            // The chip's 20 bytes: id, 13 pin modes, suspend value, suspend mode (bit 15: use the suspend
            // values), RS-485 level, clock divider.
            answer = {0x66, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x12, 0x34, 0x96, 0x78, 1, 2};
            break;
        default:
            return -1;
        }
        const std::size_t n = std::min(size, answer.size());
        std::memcpy(buffer, answer.data(), n);
        return static_cast<int>(n);
    }

private:
    std::shared_ptr<SimulatedCp2110::Unit> unit_;
};

} // namespace

std::mutex& SimulatedCp2110::mutex()
{
    static std::mutex m;
    return m;
}

std::shared_ptr<SimulatedCp2110::Unit> SimulatedCp2110::addUnit(const std::string& path, std::uint16_t vid,
                                                                std::uint16_t pid, const std::string& serial)
{
    auto unit = std::make_shared<Unit>();
    unit->info = {path, vid, pid, serial, {}, {}};
    units_.push_back(unit);
    return unit;
}

std::shared_ptr<SimulatedCp2110::Unit> SimulatedCp2110::addUnitFirst(const std::string& path, std::uint16_t vid,
                                                                     std::uint16_t pid, const std::string& serial)
{
    auto unit = std::make_shared<Unit>();
    unit->info = {path, vid, pid, serial, {}, {}};
    std::lock_guard lock(mutex());
    units_.insert(units_.begin(), unit);
    return unit;
}

void SimulatedCp2110::queueAsReports(Unit& unit, const std::vector<std::uint8_t>& bytes,
                                     std::vector<std::size_t> sizes)
{
    std::lock_guard lock(mutex());
    std::size_t at = 0, turn = 0;
    while (at < bytes.size()) {
        const std::size_t n = std::min(sizes[std::min(turn++, sizes.size() - 1)], bytes.size() - at);
        Report report{static_cast<std::uint8_t>(n)};
        report.insert(report.end(), bytes.begin() + at, bytes.begin() + at + n);
        unit.queued.push_back(std::move(report));
        at += n;
    }
}

std::vector<hidtouart::HidDeviceInfo> SimulatedCp2110::enumerate()
{
    std::lock_guard lock(mutex());
    ++enumerations_;
    std::vector<hidtouart::HidDeviceInfo> out;
    for (const auto& unit : units_)
        if (!unit->vanished)
            out.push_back(unit->info);
    return out;
}

std::unique_ptr<hidtouart::HidConnection> SimulatedCp2110::open(const std::string& path, int& error)
{
    std::lock_guard lock(mutex());
    error = ENOENT;
    for (const auto& unit : units_) {
        if (unit->vanished || unit->info.path != path)
            continue;
        error = unit->openError;
        if (error == 0)
            return std::make_unique<SimulatedConnection>(unit);
    }
    return nullptr;
}

} // namespace korvex::testing
