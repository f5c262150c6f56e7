#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "records/RecordRoundTrip.h"

// Any rows that either reader takes from the input must come back whole through both writers and readers.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::string fault = korvex::fuzz::RoundTripFault(bytes);
    if (!fault.empty()) {
        std::fprintf(stderr, "round trip broken: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
