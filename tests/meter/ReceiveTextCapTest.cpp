#include <gtest/gtest.h>

#include "meter/FrameBytes.h"
#include "meter/MeterDecoder.h"
#include "meter/RecordingMeterView.h"

namespace korvex::test {
namespace {

class ReceiveTextCap : public ::testing::Test {
protected:
    void SetUp() override { state.DecimalSep = "."; }

    void Bridge(const Bytes& chunk)
    {
        decoder.CP21101ReceiveData(reinterpret_cast<const char*>(chunk.data()),
                                   static_cast<std::uint32_t>(chunk.size()));
        ASSERT_LE(state.ReceiveText.size(), TMeterDecoder::ReceiveTextCap);
    }
    void Serial(const Bytes& chunk)
    {
        decoder.CComm1ReceiveData(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
        ASSERT_LE(state.ReceiveText.size(), TMeterDecoder::ReceiveTextCap);
    }

    TMeterState state;
    RecordingMeterView view;
    TMeterDecoder decoder{state, view};
};

TEST_F(ReceiveTextCap, StreamWithoutTerminatorStaysBoundedAndTheNextFrameDecodes)
{
    for (int i = 0; i < 100; ++i)
        Bridge(Bytes(2048, 0x11));
    Bridge(Frame(ExamplePayload));
    EXPECT_EQ(view.recordedMainTexts, (std::vector<std::string>{"1.234"}));

    // Zeros could always begin a head, so the last one is kept; before a real head it is one byte of
    // junk, which costs that frame as any stray byte before a head does.
    for (int i = 0; i < 100; ++i)
        Serial(Bytes(2048, 0x00));
    EXPECT_EQ(state.ReceiveText, "00");
    Bridge(Frame(ExamplePayload));
    Bridge(Frame(ExamplePayload));
    EXPECT_EQ(view.recordedMainTexts.size(), 2u);
}

TEST_F(ReceiveTextCap, FrameStartedInTheKeptTailCompletesAcrossTheCut)
{
    const Bytes frame = Frame(ExamplePayload);
    // A misaligned "000D" ("1000D5") just before the frame must not be taken for its head.
    const Bytes chunk = Join({Bytes(3000, 0x11), FromHex("1000D5"), Bytes(frame.begin(), frame.begin() + 5)});
    Bridge(chunk);
    EXPECT_EQ(state.ReceiveText, "000D005800");
    Bridge(Bytes(frame.begin() + 5, frame.end()));
    EXPECT_EQ(view.recordedMainTexts, (std::vector<std::string>{"1.234"}));
}

TEST_F(ReceiveTextCap, AFloodOfFramesInOneChunkIsDecodedWholeAndInOrder)
{
    // 250 frames in one chunk, far over the cap: each is decoded with the chunk, none is left to the cap.
    std::vector<Bytes> frames;
    for (int i = 0; i < 250; ++i)
        frames.push_back(Frame(PayloadHex({.mainRaw = 1000 + i})));
    Bridge(Join(frames));
    EXPECT_EQ(state.ReceiveText, "");
    ASSERT_EQ(view.recordedMainTexts.size(), 250u);
    EXPECT_EQ(view.recordedMainTexts[0], "1000");
    EXPECT_EQ(view.recordedMainTexts[1], "1001");
    EXPECT_EQ(view.recordedMainTexts.back(), "1249");
}

TEST_F(ReceiveTextCap, TextUnderTheCapIsNotTouched)
{
    // Junk before a head is kept below the cap, so the head check drops the frame as it always did.
    const Bytes frame = Frame(ExamplePayload);
    const Bytes chunk = Join({Bytes(2000, 0x11), Bytes(frame.begin(), frame.begin() + 5)});
    Bridge(chunk);
    EXPECT_EQ(state.ReceiveText.size(), 2 * chunk.size());
    Bridge(Bytes(frame.begin() + 5, frame.end()));
    EXPECT_TRUE(view.recordedMainTexts.empty());
    EXPECT_EQ(state.ReceiveText, "");
}

}  // namespace
}  // namespace korvex::test
