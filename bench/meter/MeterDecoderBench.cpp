#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "meter/MeterDecoder.h"
#include "meter/NullMeterView.h"

namespace korvex {
namespace {

std::vector<std::uint8_t> Frame(std::uint16_t mainRaw)
{
    // Cs at 1 kHz, three battery bars, point 3 in nF, D with point 3.
    return {0x00, 0x0D, 0x00, 0x58, 0x00, 0x02, static_cast<std::uint8_t>(mainRaw >> 8),
            static_cast<std::uint8_t>(mainRaw & 0xFF), 0x53, 0x00, 0x01, 0x00, 0x0C, 0x03, 0x00, 0x0D, 0x0A};
}

TMeterState FreshState()
{
    TMeterState state;
    state.DecimalSep.assign(1, '.');
    state.UnitTexts = DefaultUnitTexts();
    return state;
}

// One frame per chunk, as the meter sends them: receive, hexadecimal text, extraction, decoding, gate.
void BM_FramePerChunk(benchmark::State& bench)
{
    TMeterState state = FreshState();
    NullMeterView view;
    TMeterDecoder decoder(state, view);
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::uint16_t raw = 1000; raw < 1064; ++raw)
        frames.push_back(Frame(raw));
    std::size_t next = 0;
    for (auto _ : bench) {
        const auto& frame = frames[next++ & 63];
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(frame.data()),
                                   static_cast<std::uint32_t>(frame.size()));
    }
    bench.SetItemsProcessed(bench.iterations());
    bench.counters["frames/s"] = benchmark::Counter(static_cast<double>(bench.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FramePerChunk);

// Frames split over two chunks (9 + 8 bytes), so the text carries a partial frame between chunks.
void BM_FrameInTwoChunks(benchmark::State& bench)
{
    TMeterState state = FreshState();
    NullMeterView view;
    TMeterDecoder decoder(state, view);
    const auto frame = Frame(1234);
    for (auto _ : bench) {
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(frame.data()), 9);
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(frame.data() + 9), 8);
    }
    bench.counters["frames/s"] = benchmark::Counter(static_cast<double>(bench.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameInTwoChunks);

// A near-full read (120 back-to-back frames, 2040 of the 2048 bytes a read may bring) on every chunk: one
// frame is decoded, the text runs over its cap each time and is cut back to whole frames.
void BM_FullChunkOfFramesAtCap(benchmark::State& bench)
{
    TMeterState state = FreshState();
    NullMeterView view;
    TMeterDecoder decoder(state, view);
    std::vector<std::uint8_t> chunk;
    for (std::uint16_t raw = 0; chunk.size() + 17 <= 2048; ++raw) {
        const auto frame = Frame(raw);
        chunk.insert(chunk.end(), frame.begin(), frame.end());
    }
    const auto size = static_cast<std::uint32_t>(chunk.size());
    for (int i = 0; i < 4; ++i)
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()), size);
    for (auto _ : bench)
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()), size);
    bench.SetBytesProcessed(bench.iterations() * size);
    bench.counters["text"] = static_cast<double>(state.ReceiveText.size());
}
BENCHMARK(BM_FullChunkOfFramesAtCap);

// The cut's worst case: a text full of heads ("000D000D...") and no terminator, so every kept position is
// examined; arg is the chunk size in bytes.
void BM_ChunkOfHeadsWithoutTerminator(benchmark::State& bench)
{
    TMeterState state = FreshState();
    NullMeterView view;
    TMeterDecoder decoder(state, view);
    std::vector<std::uint8_t> chunk;
    while (chunk.size() < static_cast<std::size_t>(bench.range(0))) {
        chunk.push_back(0x00);
        chunk.push_back(0x0D);
    }
    for (auto _ : bench)
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()),
                                   static_cast<std::uint32_t>(chunk.size()));
    bench.SetBytesProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(BM_ChunkOfHeadsWithoutTerminator)->Arg(64)->Arg(2048);

// Decoding alone, from a ready 26-digit payload.
void BM_DecodePayload(benchmark::State& bench)
{
    TMeterState state = FreshState();
    NullMeterView view;
    TMeterDecoder decoder(state, view);
    const std::string payload = "0058000204D2530001000C0300";
    for (auto _ : bench)
        decoder.DecodePayload(payload);
    bench.counters["frames/s"] = benchmark::Counter(static_cast<double>(bench.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodePayload);

}  // namespace
}  // namespace korvex
