#include "sim/SimulatedStream.h"

#include "sim/SimulatedMeter.h"

#include <algorithm>

namespace korvex::sim {
namespace {

constexpr std::uint64_t kFramePeriodMs = 1000 / kFramesPerSecond;
// 9600 bit/s with a start and a stop bit: 0.96 bytes per millisecond.
constexpr std::uint64_t kBytesPer25Ms = 24;

// Largest chunk a take hands out, varying from take to take between 5 and 40 bytes.
std::uint32_t ChunkLimit(std::uint64_t take)
{
    std::uint64_t x = (take + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    return static_cast<std::uint32_t>(5 + x % 36);
}

}  // namespace

std::uint64_t SimulatedStream::SentBy(std::uint64_t elapsedMs)
{
    const std::uint64_t frames = elapsedMs / kFramePeriodMs;
    const std::uint64_t intoFrame = elapsedMs % kFramePeriodMs;
    return frames * kFrameSize + std::min<std::uint64_t>(kFrameSize, intoFrame * kBytesPer25Ms / 25);
}

std::uint64_t SimulatedStream::TimeOfByte(std::uint64_t count)
{
    if (count == 0)
        return 0;
    const std::uint64_t frame = (count - 1) / kFrameSize;
    const std::uint64_t within = (count - 1) % kFrameSize + 1;
    return frame * kFramePeriodMs + (within * 25 + kBytesPer25Ms - 1) / kBytesPer25Ms;
}

std::vector<std::uint8_t> SimulatedStream::Take(std::uint64_t elapsedMs, std::uint32_t want)
{
    const std::uint64_t available = Pending(elapsedMs);
    const std::uint64_t count = std::min<std::uint64_t>({available, want, ChunkLimit(takes_)});
    std::vector<std::uint8_t> out;
    if (count == 0)
        return out;
    ++takes_;
    out.reserve(count);
    for (std::uint64_t i = taken_; i < taken_ + count; ++i) {
        const std::uint64_t step = i / kFrameSize;
        if (step != cachedStep_) {
            cachedFrame_ = FrameAt(step);
            cachedStep_ = step;
        }
        out.push_back(cachedFrame_[i % kFrameSize]);
    }
    taken_ += count;
    return out;
}

void SimulatedStream::SkipTo(std::uint64_t elapsedMs)
{
    taken_ = std::max(taken_, SentBy(elapsedMs));
}

std::uint64_t SimulatedStream::Pending(std::uint64_t elapsedMs) const
{
    const std::uint64_t sent = SentBy(elapsedMs);
    return sent > taken_ ? sent - taken_ : 0;
}

}  // namespace korvex::sim
