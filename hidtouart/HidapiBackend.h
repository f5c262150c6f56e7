#pragma once

#include "HidBackend.h"

namespace korvex::hidtouart {

// The HID layer of the product: hidapi over hidraw.
class HidapiBackend final : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;
    std::vector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidConnection> open(const std::string& path, int& error) override;
};

} // namespace korvex::hidtouart
