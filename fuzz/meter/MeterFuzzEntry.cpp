#include "meter/MeterFuzzEntry.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "meter/MeterDecoder.h"

namespace korvex::fuzz {

namespace {

// Operations, three bits of each operation byte; the other five bits are a short length or control bits.
enum FuzzOp : std::uint8_t {
    opBridgeChunk = 0,   // a bridge chunk of up to 31 bytes
    opBridgeChunkB = 1,  // the same, to weight chunks over the rest
    opSerialChunk = 2,   // a serial chunk of up to 31 bytes
    opLongChunk = 3,     // a bridge or serial chunk whose length is in the next two bytes
    opRawPayload = 4,    // 26 arbitrary characters straight to DecodePayload
    opHexPayload = 5,    // 13 bytes as a valid 26-digit payload straight to DecodePayload
    opControls = 6,      // set Repeat, the interval timer and IntervalTick from the length bits
    opDirectSteps = 7,   // ExtractFrame or TruncateCpReading on their own
};

class FuzzView : public IMeterView {
public:
    void UpdatePanel(PanelUpdate, const TMeterState&) override {}
    int ChartAddValue(double) override { return ++page; }
    void ChartSetVerticalMin(double) override {}
    void ChartSetVerticalMax(double) override {}
    void SetCurrentPageText(const std::string&) override {}
    bool RepeatTicked() const override { return repeat; }
    bool IntervalTimerEnabled() const override { return timer; }
    void AppendRecord(const TMeterState&) override { ++rows; }
    void ToggleConnectionPicture() override {}
    void RestartWatchdog() override {}

    bool repeat = true;
    bool timer = false;
    int page = 0;
    int rows = 0;
};

bool ReceiveTextSound(const TMeterState& state)
{
    if (state.ReceiveText.size() > TMeterDecoder::ReceiveTextCap)
        return false;
    return std::all_of(state.ReceiveText.begin(), state.ReceiveText.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

}  // namespace

bool RunMeterFuzzInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return true;
    static const char* const separators[] = {".", ",", "", "::", "\xB7"};
    TMeterState state;
    state.DecimalSep = separators[data[0] % 5];
    state.UnitTexts = DefaultUnitTexts();
    FuzzView view;
    TMeterDecoder decoder(state, view);

    std::size_t pos = 1;
    auto take = [&](std::size_t wanted) {
        const std::size_t count = std::min(wanted, size - pos);
        const std::uint8_t* bytes = data + pos;
        pos += count;
        return std::span<const std::uint8_t>(bytes, count);
    };

    while (pos < size) {
        const std::uint8_t opByte = data[pos++];
        const auto op = static_cast<FuzzOp>(opByte & 0x07);
        const std::uint8_t arg = static_cast<std::uint8_t>(opByte >> 3);
        switch (op) {
        case opBridgeChunk:
        case opBridgeChunkB: {
            const auto chunk = take(arg);
            decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()),
                                       static_cast<std::uint32_t>(chunk.size()));
            break;
        }
        case opSerialChunk: {
            const auto chunk = take(arg);
            decoder.CComm1ReceiveData(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
            break;
        }
        case opLongChunk: {
            const auto lengthBytes = take(2);
            const std::size_t length = lengthBytes.size() == 2 ? (lengthBytes[0] << 8 | lengthBytes[1]) : 0;
            const auto chunk = take(length);
            if (arg & 1)
                decoder.CComm1ReceiveData(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
            else
                decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()),
                                           static_cast<std::uint32_t>(chunk.size()));
            break;
        }
        case opRawPayload: {
            const auto raw = take(26);
            decoder.DecodePayload(std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()));
            break;
        }
        case opHexPayload: {
            static constexpr char digits[] = "0123456789ABCDEF";
            std::string payload;
            for (std::uint8_t b : take(13)) {
                payload.push_back(digits[b >> 4]);
                payload.push_back(digits[b & 0x0F]);
            }
            payload.resize(26, '0');
            decoder.DecodePayload(payload);
            break;
        }
        case opControls:
            view.repeat = (arg & 1) != 0;
            view.timer = (arg & 2) != 0;
            if (arg & 4)
                state.IntervalTick = true;
            break;
        case opDirectSteps:
            if (arg & 1)
                decoder.TruncateCpReading();
            else
                decoder.ExtractFrame();
            break;
        }
        if (!ReceiveTextSound(state))
            return false;
    }
    return true;
}

}  // namespace korvex::fuzz
