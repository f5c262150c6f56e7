#include "HidapiBackend.h"

#include <hidapi.h>
#include <unistd.h>

#include <cerrno>

namespace korvex::hidtouart {
namespace {

// hidapi reports serial numbers as wide text; the library's strings are 8-bit.
std::string narrowText(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out.push_back(static_cast<std::uint32_t>(*text) <= 0xFF ? static_cast<char>(*text) : '?');
    return out;
}

class HidapiConnection final : public HidConnection {
public:
    explicit HidapiConnection(hid_device* device)
        : device_(device)
    {
    }
    ~HidapiConnection() override { hid_close(device_); }

    int readInputReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override
    {
        // A signal that cuts the wait short is no failure of the device: nothing came yet. Only a hang-up,
        // an error on the node or its going away fail the read.
        errno = 0;
        const int got = hid_read_timeout(device_, buffer, size, timeoutMs);
        return got < 0 && errno == EINTR ? 0 : got;
    }
    int writeOutputReport(const std::uint8_t* report, std::size_t size) override
    {
        return hid_write(device_, report, size);
    }
    int sendFeatureReport(const std::uint8_t* report, std::size_t size) override
    {
        return hid_send_feature_report(device_, report, size);
    }
    int getFeatureReport(std::uint8_t* buffer, std::size_t size) override
    {
        return hid_get_feature_report(device_, buffer, size);
    }

private:
    hid_device* device_;
};

} // namespace

HidapiBackend::HidapiBackend()
{
    hid_init();
}

HidapiBackend::~HidapiBackend()
{
    hid_exit();
}

std::vector<HidDeviceInfo> HidapiBackend::enumerate()
{
    std::vector<HidDeviceInfo> devices;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* d = list; d; d = d->next)
        devices.push_back({d->path ? d->path : "", d->vendor_id, d->product_id, narrowText(d->serial_number),
                           narrowText(d->manufacturer_string), narrowText(d->product_string)});
    hid_free_enumeration(list);
    return devices;
}

std::unique_ptr<HidConnection> HidapiBackend::open(const std::string& path, int& error)
{
    error = 0;
    hid_device* device = hid_open_path(path.c_str());
    if (!device) {
        // hidapi keeps no errno; the node itself tells a refused permission from a node gone or failing.
        error = ::access(path.c_str(), R_OK | W_OK) == 0 ? EIO : errno;
        return nullptr;
    }
    return std::make_unique<HidapiConnection>(device);
}

} // namespace korvex::hidtouart
