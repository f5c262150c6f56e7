#include <cstdint>
#include <cstdlib>

#include "links/Cp2110ReadEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!korvex::fuzz::RunCp2110ReadInput(data, size))
        std::abort();
    return 0;
}
