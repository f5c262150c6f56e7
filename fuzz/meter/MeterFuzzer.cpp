#include <cstddef>
#include <cstdint>

#include "meter/MeterFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!korvex::fuzz::RunMeterFuzzInput(data, size))
        __builtin_trap();
    return 0;
}
