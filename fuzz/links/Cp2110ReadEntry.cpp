#include "links/Cp2110ReadEntry.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "hidtouart/Cp2110Device.h"
#include "hidtouart/HidUartStatus.h"

namespace korvex::fuzz {

using namespace korvex::hidtouart;

namespace {

using Bytes = std::vector<std::uint8_t>;

class ScriptedConnection final : public HidConnection {
public:
    explicit ScriptedConnection(std::deque<Bytes> reports)
        : reports_(std::move(reports))
    {
    }
    int readInputReport(std::uint8_t* buffer, std::size_t size, int) override
    {
        if (reports_.empty())
            return 0;
        const Bytes report = std::move(reports_.front());
        reports_.pop_front();
        const std::size_t n = std::min(size, report.size());
        if (n > 0)
            std::memcpy(buffer, report.data(), n);
        // An empty report stands for a device that failed.
        return report.empty() ? -1 : static_cast<int>(n);
    }
    int writeOutputReport(const std::uint8_t*, std::size_t size) override { return static_cast<int>(size); }
    int sendFeatureReport(const std::uint8_t*, std::size_t size) override { return static_cast<int>(size); }
    int getFeatureReport(std::uint8_t*, std::size_t) override { return -1; }

private:
    std::deque<Bytes> reports_;
};

} // namespace

bool RunCp2110ReadInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return true;
    // First byte: how many reports; then each report as a length byte and its bytes; the rest are read sizes.
    const std::size_t reportCount = data[0] % 32;
    std::size_t at = 1;
    std::deque<Bytes> reports;
    Bytes expected;
    bool failed = false;
    for (std::size_t r = 0; r < reportCount && at < size; ++r) {
        const std::size_t length = data[at++] % 72;
        const std::size_t n = std::min(length, size - at);
        Bytes report(data + at, data + at + n);
        at += n;
        if (!failed && report.empty())
            failed = true;
        if (!failed && report[0] >= 1 && report[0] <= 63 && report.size() > report[0])
            expected.insert(expected.end(), report.begin() + 1, report.begin() + 1 + report[0]);
        reports.push_back(std::move(report));
    }

    Cp2110Device device(std::make_unique<ScriptedConnection>(std::move(reports)), HidDeviceInfo{"/dev/hidraw0", 0x10C4, 0xEA80, "F", {}, {}});
    Bytes received;
    Bytes buffer(2048);
    // Each read either returns bytes or ends the loop, so it ends once the reports are used up.
    for (;;) {
        const std::uint32_t want = at < size ? 1 + data[at++] * 8 % 2048 : 2048;
        std::uint32_t got = 0;
        const int status = device.read(buffer.data(), want, got);
        if (got > want)
            return false;
        if (status == HID_UART_SUCCESS && got != want)
            return false;
        received.insert(received.end(), buffer.begin(), buffer.begin() + got);
        if (status == HID_UART_READ_ERROR || (status == HID_UART_READ_TIMED_OUT && got == 0))
            break;
    }
    return received == expected;
}

} // namespace korvex::fuzz
