// A library with only one of the bridge entry points, to show that the link refuses an incomplete library
// and never calls the entry points it did resolve.
#include <cstdint>

namespace {
std::uint64_t calls = 0;
}

extern "C" {

__attribute__((visibility("default"))) int HidUart_GetNumDevices(std::uint32_t* numDevices, std::uint16_t,
                                                                 std::uint16_t)
{
    ++calls;
    *numDevices = 1;
    return 0;
}

__attribute__((visibility("default"))) std::uint64_t PartialBridge_Calls()
{
    return calls;
}
}
