#include "meter/MeterDecoder.h"

#include <cmath>
#include <string>

namespace korvex {

namespace {

constexpr std::string_view FrameHead = "000D";
constexpr std::string_view FrameTerminator = "0D0A";
constexpr std::size_t PayloadLength = 26;
constexpr std::size_t FrameTextLength = FrameHead.size() + PayloadLength + FrameTerminator.size();

constexpr char HexDigits[] = "0123456789ABCDEF";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads count characters from a 1-based position as one hexadecimal number; anything not hexadecimal reads 0.
int ReadField(std::string_view payload, std::size_t position, std::size_t count)
{
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = HexValue(payload[position - 1 + i]);
        if (digit < 0)
            return 0;
        value = value * 16 + digit;
    }
    return value;
}

int ReadByte(std::string_view payload, int byteNumber)
{
    return ReadField(payload, static_cast<std::size_t>(2 * byteNumber - 1), 2);
}

template <typename Field, typename Value>
bool StoreChanged(Field& field, Value value)
{
    const Field newValue = static_cast<Field>(value);
    if (field == newValue)
        return false;
    field = newValue;
    return true;
}

}  // namespace

TMeterDecoder::TMeterDecoder(TMeterState& state, IMeterView& view) : state_(state), view_(view) {}

void TMeterDecoder::CP21101ReceiveData(const char* data, std::uint32_t len)
{
    view_.ToggleConnectionPicture();
    view_.RestartWatchdog();
    AppendHex(reinterpret_cast<const unsigned char*>(data), len);
    ExtractFrame();
    LimitReceiveText();
}

void TMeterDecoder::CComm1ReceiveData(const void* buffer, std::uint32_t len)
{
    view_.ToggleConnectionPicture();
    AppendHex(static_cast<const unsigned char*>(buffer), len);
    ExtractFrame();
    LimitReceiveText();
}

void TMeterDecoder::AppendHex(const unsigned char* bytes, std::uint32_t len)
{
    if (bytes == nullptr || len == 0)
        return;
    std::string& text = state_.ReceiveText;
    std::size_t at = text.size();
    text.resize(at + 2 * static_cast<std::size_t>(len));
    for (std::uint32_t i = 0; i < len; ++i) {
        text[at++] = HexDigits[bytes[i] >> 4];
        text[at++] = HexDigits[bytes[i] & 0x0F];
    }
}

void TMeterDecoder::ExtractFrame()
{
    Extract();
}

void TMeterDecoder::Extract()
{
    std::string& text = state_.ReceiveText;
    // Every complete frame of the text, oldest first, as if each had come alone: a hand-over may hold
    // several (the window was busy, or they came in one write), and one left behind would be shown late
    // or stop every later frame. An incomplete tail waits for the next hand-over.
    for (;;) {
        // A plain text search: the terminator may also be found across the digits of two bytes.
        const std::size_t match = text.find(FrameTerminator);
        if (match == std::string::npos)
            return;
        if (text.compare(0, FrameHead.size(), FrameHead) != 0) {
            text.clear();
            return;
        }
        const bool whole = match >= FrameHead.size() && match - FrameHead.size() == PayloadLength;
        if (!whole) {
            text.erase(0, match + FrameTerminator.size());
            continue;
        }
        // Copy the payload out before the text it lies in is cut; the decoding may serve events, and a
        // hand-over served then appends behind what is left here.
        char payload[PayloadLength];
        text.copy(payload, PayloadLength, FrameHead.size());
        text.erase(0, match + FrameTerminator.size());
        DecodePayload(std::string_view(payload, PayloadLength));
    }
}

void TMeterDecoder::LimitReceiveText()
{
    std::string& text = state_.ReceiveText;
    if (text.size() <= ReceiveTextCap)
        return;
    // Keep an even number of the newest characters, so the kept text starts on a byte boundary (the text
    // always ends on one), and start it where a frame can still be completed: at a head whose terminator
    // is exactly one payload away, or whose terminator has not arrived yet.
    std::size_t terminator = std::string::npos;
    bool terminatorKnown = false;
    for (std::size_t start = text.size() - ReceiveTextCap; start < text.size(); start += 2) {
        const std::string_view rest = std::string_view(text).substr(start);
        if (rest.size() < FrameHead.size()) {
            if (FrameHead.substr(0, rest.size()) == rest) {
                text.erase(0, start);
                return;
            }
            continue;
        }
        if (rest.substr(0, FrameHead.size()) != FrameHead)
            continue;
        if (!terminatorKnown || (terminator != std::string::npos && terminator < start)) {
            terminator = text.find(FrameTerminator, start);
            terminatorKnown = true;
        }
        const bool viable = terminator == std::string::npos
                                ? rest.size() < FrameTextLength
                                : terminator - start == FrameHead.size() + PayloadLength;
        if (viable) {
            text.erase(0, start);
            return;
        }
    }
    text.clear();
}

void TMeterDecoder::DecodePayload(std::string_view payload)
{
    if (payload.size() != PayloadLength)
        return;
    TMeterState& s = state_;

    s.MainRaw = ReadField(payload, 9, 4);

    const int byte7 = ReadByte(payload, 7);
    s.MainPoint = byte7 & 0x07;
    if (s.MainPoint <= 4)
        s.MainText = FormatReading(s.MainRaw, s.MainPoint, true, s.DecimalSep);
    if (StoreChanged(s.MainUnit, byte7 >> 3))
        view_.UpdatePanel(PanelUpdate::MainUnit, s);

    const int byte1 = ReadByte(payload, 1);
    if (StoreChanged(s.Hold, (byte1 & 0x01) != 0))
        view_.UpdatePanel(PanelUpdate::Hold, s);
    if (StoreChanged(s.Rel, (byte1 & 0x04) != 0))
        view_.UpdatePanel(PanelUpdate::Rel, s);
    if (StoreChanged(s.Lcr, (byte1 & 0x20) != 0))
        view_.UpdatePanel(PanelUpdate::Lcr, s);
    s.Auto = (byte1 & 0x40) != 0;
    s.Parallel = static_cast<std::uint8_t>((byte1 >> 7) & 0x01);
    view_.UpdatePanel(PanelUpdate::Auto, s);

    const int byte2 = ReadByte(payload, 2);
    if (StoreChanged(s.Battery, (byte2 >> 3) & 0x03))
        view_.UpdatePanel(PanelUpdate::Battery, s);
    if (StoreChanged(s.Freq, (byte2 >> 5) & 0x07))
        view_.UpdatePanel(PanelUpdate::Frequency, s);

    if (StoreChanged(s.Tolerance, ReadByte(payload, 3) & 0x0F))
        view_.UpdatePanel(PanelUpdate::Tolerance, s);

    s.MainMode = static_cast<std::uint8_t>(ReadByte(payload, 4) & 0x07);
    view_.UpdatePanel(PanelUpdate::MainMode, s);

    const int byte8 = ReadByte(payload, 8);
    s.MainRange = (byte8 & 0x80) != 0 ? 2000 : 20000;
    s.MainKind = static_cast<std::uint8_t>(byte8 & 0x1F);
    view_.UpdatePanel(PanelUpdate::MainReadout, s);
    double chartValue = 0.0;
    if (s.MainKind == rkNumber)
        // Before any frame with a decimal-point code of 0..4 the main text is still empty: chart 0 then.
        chartValue = ParseReading(s.MainText, s.DecimalSep).value_or(0.0);
    else if (s.MainKind == rkOL)
        chartValue = FullScale(s.MainPoint);
    view_.SetCurrentPageText(std::to_string(view_.ChartAddValue(chartValue)));

    s.SubMode = static_cast<std::uint8_t>(ReadByte(payload, 9) & 0x07);
    view_.UpdatePanel(PanelUpdate::SubMode, s);

    s.SubRaw = ReadField(payload, 19, 4);

    const int byte12 = ReadByte(payload, 12);
    s.SubPoint = byte12 & 0x07;
    if (s.SubPoint <= 4)
        s.SubText = FormatReading(s.SubRaw, s.SubPoint, false, s.DecimalSep);
    if (StoreChanged(s.SubUnit, byte12 >> 3))
        view_.UpdatePanel(PanelUpdate::SubUnit, s);

    const int byte13 = ReadByte(payload, 13);
    s.SubRange = (byte13 & 0x80) != 0 ? 2000 : 20000;
    s.SubKind = static_cast<std::uint8_t>(byte13 & 0x1F);
    // The secondary readout holds five characters.
    if (s.SubKind == rkNumber && s.SubText.size() > 5)
        s.SubText.pop_back();
    view_.UpdatePanel(PanelUpdate::SubReadout, s);

    const double fullScale = FullScale(s.MainPoint);
    // Written as a difference so a full scale of 0 gives the limit +0 rather than -0.
    view_.ChartSetVerticalMin(0.0 - fullScale);
    view_.ChartSetVerticalMax(fullScale);
    view_.UpdatePanel(PanelUpdate::BarMaximum, s);

    // Record gate: without Repeat only a changed main text is recorded; with the interval timer running
    // only the first frame after a tick.
    if (!view_.RepeatTicked() && s.MainText == s.LastMainText)
        return;
    s.LastMainText = s.MainText;
    TruncateCpReading();
    if (!view_.IntervalTimerEnabled() || s.IntervalTick)
        view_.AppendRecord(s);
    s.IntervalTick = false;
}

void TMeterDecoder::TruncateCpReading()
{
    TMeterState& s = state_;
    const bool lowFrequency = s.Freq == tf100Hz || s.Freq == tf120Hz;
    if (s.Parallel != 1 || s.MainMode != mmC || !lowFrequency || s.MainKind != rkNumber)
        return;
    const std::optional<double> value = ParseReading(s.MainText, s.DecimalSep);
    if (!value)
        return;
    const double whole = std::trunc(*value);
    // Readings are counts below 65536 scaled down, far inside the range of a 64-bit integer.
    s.MainText = std::to_string(static_cast<long long>(whole));
    s.LastMainText = s.MainText;
    view_.UpdatePanel(PanelUpdate::MainText, s);
}

}  // namespace korvex
