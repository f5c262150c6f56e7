#include <gtest/gtest.h>

#include "meter/FrameBytes.h"
#include "meter/MeterDecoder.h"
#include "meter/RecordingMeterView.h"

namespace korvex::test {
namespace {

class FrameExtraction : public ::testing::Test {
protected:
    void SetUp() override { state.DecimalSep = "."; }

    void Bridge(const Bytes& chunk)
    {
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()),
                                   static_cast<std::uint32_t>(chunk.size()));
    }
    void Serial(const Bytes& chunk)
    {
        decoder.CComm1ReceiveData(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
    }
    int Decoded() const { return view.Count("ChartAddValue"); }

    TMeterState state;
    RecordingMeterView view;
    TMeterDecoder decoder{state, view};
};

TEST_F(FrameExtraction, FrameSplitAtEveryByteDecodesWithTheChunkThatHoldsItsTerminator)
{
    const Bytes frame = Frame(ExamplePayload);
    for (std::size_t split = 0; split <= frame.size(); ++split) {
        SCOPED_TRACE(split);
        state.ReceiveText.clear();
        view.ClearLog();
        Bridge(Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(split)));
        EXPECT_EQ(Decoded(), split == frame.size() ? 1 : 0);
        Bridge(Bytes(frame.begin() + static_cast<std::ptrdiff_t>(split), frame.end()));
        EXPECT_EQ(Decoded(), 1);
        EXPECT_EQ(state.MainText, "1.234");
        EXPECT_EQ(state.ReceiveText, "");
    }
}

TEST_F(FrameExtraction, EachBridgeChunkBlinksAndRestartsTheWatchdogBeforeExtracting)
{
    Bridge(Frame(ExamplePayload));
    Bridge({});
    ASSERT_GE(view.log.size(), 3u);
    EXPECT_EQ(view.log[0], "ToggleConnectionPicture");
    EXPECT_EQ(view.log[1], "RestartWatchdog");
    EXPECT_EQ(view.Count("ToggleConnectionPicture"), 2);
    EXPECT_EQ(view.Count("RestartWatchdog"), 2);
    EXPECT_EQ(view.log[view.log.size() - 2], "ToggleConnectionPicture");
    EXPECT_EQ(view.log.back(), "RestartWatchdog");
}

// Chunks as hexadecimal text, and for each chunk how many frames have been decoded once it is handled.
struct ChunkCase {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<int> decodedAfter;
    std::string receiveTextAfter;
};

const std::string Example = "000D" + std::string(ExamplePayload) + "0D0A";

class BridgeChunks : public FrameExtraction, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(BridgeChunks, ExtractEveryCompleteFrameOfAChunk)
{
    const ChunkCase& c = GetParam();
    ASSERT_EQ(c.chunks.size(), c.decodedAfter.size());
    for (std::size_t i = 0; i < c.chunks.size(); ++i) {
        Bridge(FromHex(c.chunks[i]));
        EXPECT_EQ(Decoded(), c.decodedAfter[i]) << "after chunk " << i;
    }
    EXPECT_EQ(state.ReceiveText, c.receiveTextAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BridgeChunks,
    ::testing::Values(
        ChunkCase{"TwoFramesOfAChunkBothDecodeAtOnce", {Example + Example, ""}, {2, 2}, ""},
        ChunkCase{"FramesThenAStartKeepTheStartForTheNextChunk",
                  {Example + Example + "000D00", "58000204D2530001000C03000D0A"}, {2, 3}, ""},
        ChunkCase{"BytesBeforeTheHeadLoseTheFrameAndWhatFollows", {"11" + Example + "000D00"}, {0}, ""},
        ChunkCase{"TailOfEarlierFrameBeforeTheHeadEmptiesTextAtTerminator", {"5300", Example}, {0, 0}, ""},
        ChunkCase{"TerminatorBytesInsidePayloadCutTheFrame",
                  {"000D 0058000204D2 0D0A 01000C0300 0D0A", ""}, {0, 0}, ""},
        ChunkCase{"TerminatorStraddlingTwoBytesCutsTheFrame",
                  {"000D 0058 30D0A5 04D2530001000C03 0D0A", ""}, {0, 0}, ""},
        ChunkCase{"FirstPayloadByte0AGivesAnEmptyPayloadAndTheRestIsNoFrame",
                  {"000D 0A58000204D2530001000C0300 0D0A"}, {0}, ""},
        ChunkCase{"ChunkWithoutTerminatorWaits", {"000D0058"}, {0}, "000D0058"},
        ChunkCase{"PayloadOfWrongLengthIsDroppedWithItsTerminator", {"000D 0058 0D0A" + Example, ""}, {1, 1}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Two frames in one hand-over, then one alone: three readings in order, the newest on the panel at once.
TEST_F(FrameExtraction, FramesThatArriveTogetherAreDecodedInOrderOnBothLinks)
{
    for (const bool serial : {false, true}) {
        SCOPED_TRACE(serial ? "serial link" : "bridge link");
        state = TMeterState{};
        state.DecimalSep = ".";
        view.ClearLog();
        view.readoutTexts.clear();
        const auto handOver = [&](const Bytes& chunk) { serial ? Serial(chunk) : Bridge(chunk); };

        handOver(Join({ExampleFrameWithMainCount(1111), ExampleFrameWithMainCount(2222)}));
        EXPECT_EQ(state.MainText, "2.222");
        handOver(ExampleFrameWithMainCount(3333));
        EXPECT_EQ(state.MainText, "3.333");
        EXPECT_EQ(Decoded(), 3);
        EXPECT_EQ(view.readoutTexts, (std::vector<std::string>{"1.111", "2.222", "3.333"}));
        EXPECT_EQ(state.ReceiveText, "");
    }
}

TEST_F(FrameExtraction, SerialLinkExtractsAsTheBridgeLinkWithoutTouchingTheWatchdog)
{
    Serial(Frame(ExamplePayload));
    EXPECT_EQ(Decoded(), 1);
    EXPECT_EQ(state.ReceiveText, "");
    EXPECT_EQ(view.Count("RestartWatchdog"), 0);
    EXPECT_EQ(view.Count("ToggleConnectionPicture"), 1);

    // A frame followed by the start of the next one: the frame decodes, the start waits.
    Serial(FromHex(Example + "000D00"));
    EXPECT_EQ(Decoded(), 2);
    EXPECT_EQ(state.ReceiveText, "000D00");

    // Split frames complete as on the bridge link.
    state.ReceiveText.clear();
    const Bytes frame = Frame(ExamplePayload);
    Serial(Bytes(frame.begin(), frame.begin() + 9));
    Serial(Bytes(frame.begin() + 9, frame.end()));
    EXPECT_EQ(Decoded(), 3);

    // Junk before the head empties the text.
    Serial(FromHex("22" + Example));
    EXPECT_EQ(Decoded(), 3);
    EXPECT_EQ(state.ReceiveText, "");
}

}  // namespace
}  // namespace korvex::test
