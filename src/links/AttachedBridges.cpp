#include "links/AttachedBridges.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace korvex {
namespace {

enum BridgeStringKind : std::uint32_t {
    VendorText = 1,  // vendor id, hexadecimal
    ProductText = 2, // product id, hexadecimal
    PathText = 3,    // device node
    SerialText = 4,  // serial number
};

std::optional<QString> readString(const BridgeEntryPoints& api, std::uint32_t index, std::uint32_t kind)
{
    char text[BridgeStringLength] = {};
    if (api.GetString(index, 0, 0, text, kind) != 0)
        return std::nullopt;
    text[BridgeStringLength - 1] = '\0';
    return QString::fromLatin1(text);
}

} // namespace

std::vector<AttachedBridge> ListAttachedBridges(const BridgeEntryPoints& api)
{
    std::vector<AttachedBridge> bridges;
    std::uint32_t count = 0;
    if (api.GetNumDevices(&count, 0, 0) != 0)
        return bridges;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto vendor = readString(api, i, VendorText);
        const auto product = readString(api, i, ProductText);
        if (!vendor || !product || vendor->toUpper() != QLatin1String("10C4")
            || product->toUpper() != QLatin1String("EA80"))
            continue;
        const auto serial = readString(api, i, SerialText);
        const auto path = readString(api, i, PathText);
        if (!serial || !path)
            continue;
        AttachedBridge bridge{*serial, *path, 0};
        void* device = nullptr;
        bridge.openStatus = api.Open(&device, i, 0, 0);
        if (bridge.openStatus == 0 && device)
            api.Close(device);
        bridges.push_back(bridge);
    }
    std::stable_sort(bridges.begin(), bridges.end(), [](const AttachedBridge& a, const AttachedBridge& b) {
        return a.serial.compare(b.serial, Qt::CaseInsensitive) < 0;
    });
    return bridges;
}

} // namespace korvex
