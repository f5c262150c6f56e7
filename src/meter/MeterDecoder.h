#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "meter/MeterState.h"
#include "meter/MeterView.h"
#include "meter/ReadingFormat.h"
#include "meter/UnitTexts.h"

namespace korvex {

// The main window's side of the meter data path: receives the links' chunks, turns them into hexadecimal
// text, cuts frames out of that text and decodes their payloads into the meter state.
class TMeterDecoder {
public:
    TMeterDecoder(TMeterState& state, IMeterView& view);

    // Bridge link chunk: blink the connection picture, restart the watchdog, append, then ExtractFrame.
    void CP21101ReceiveData(const char* data, std::uint32_t len);
    // Serial link chunk: blink the connection picture, append, then ExtractFrame.
    void CComm1ReceiveData(const void* buffer, std::uint32_t len);

    // Cuts every frame ("000D", 26 payload digits, "0D0A") from the front of ReceiveText and decodes each,
    // oldest first; what does not end in a terminator yet stays for the next chunk.
    void ExtractFrame();
    // Decodes 26 hexadecimal characters into the state and drives the panel, chart and record gate.
    // Any other length is ignored.
    void DecodePayload(std::string_view payload);
    // Parallel capacitance at 100 Hz or 120 Hz is shown and recorded as a whole number.
    void TruncateCpReading();

    // ReceiveText carried from one chunk to the next never exceeds this many characters.
    static constexpr std::size_t ReceiveTextCap = 4096;

private:
    void AppendHex(const unsigned char* bytes, std::uint32_t len);
    void Extract();
    void LimitReceiveText();

    TMeterState& state_;
    IMeterView& view_;
};

}  // namespace korvex
