#pragma once

#include <cstdint>
#include <vector>

namespace korvex::sim {

// The bytes the simulated meter sends down its cable, as a function of the time since it started:
// frame k begins at k * 500 ms and its bytes follow at 9600 bit/s. Each take hands out at most a
// varying number of bytes, as the bridge's reports do, so frames sometimes split across reads.
class SimulatedStream {
public:
    // Bytes sent by `elapsedMs`.
    static std::uint64_t SentBy(std::uint64_t elapsedMs);
    // The earliest time at which at least `count` bytes have been sent.
    static std::uint64_t TimeOfByte(std::uint64_t count);

    // Up to `want` of the bytes sent by `elapsedMs` that no earlier take handed out.
    std::vector<std::uint8_t> Take(std::uint64_t elapsedMs, std::uint32_t want);
    // Drops everything sent by `elapsedMs`: a closed bridge keeps nothing.
    void SkipTo(std::uint64_t elapsedMs);
    std::uint64_t Pending(std::uint64_t elapsedMs) const;

private:
    std::uint64_t taken_ = 0;
    std::uint64_t takes_ = 0;
    std::uint64_t cachedStep_ = UINT64_MAX;
    std::vector<std::uint8_t> cachedFrame_;
};

}  // namespace korvex::sim
