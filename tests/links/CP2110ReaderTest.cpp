#include <QElapsedTimer>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "LinkFixture.h"

using namespace korvex;
using namespace korvex::testing;
using namespace std::chrono_literals;

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

class ReaderTest : public LinkFixture {
protected:
    // Connects the fast link to one bridge and returns the double's id of that bridge.
    int connectOne(TCP2110& link)
    {
        link.setDeviceName("a3");
        EXPECT_TRUE(link.Connect());
        log.clear();
        return device;
    }

    // Waits, without serving the UI thread, until the reader has taken every queued read and is blocked
    // handing the last chunk over.
    void waitUntilReaderHoldsAChunk()
    {
        for (int i = 0; i < 2000 && BridgeDouble::pendingReads(device) > 0; ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(BridgeDouble::pendingReads(device), 0u);
        std::this_thread::sleep_for(20ms);
    }

    void SetUp() override
    {
        LinkFixture::SetUp();
        device = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    }

    int device = -1;
};

TEST_F(ReaderTest, OnlyGoodPollsWithBytesAreHandedOver)
{
    struct Case {
        int status;
        std::size_t count;
        bool handedOver;
    };
    const Case cases[] = {
        {0x12, 17, true},       // fewer bytes than asked
        {0x00, 0, false},       // nothing read
        {0x10, 5, false},       // a read error, whatever the count
        {0x00, 4, true},        // a full read
        {0x10012, 3, true},     // only the low 16 bits of the status count
        {0x14, 9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        const auto link = makeFastLink();
        connectOne(*link);
        chunks.clear();
        Bytes bytes(c.count);
        for (std::size_t i = 0; i < c.count; ++i)
            bytes[i] = static_cast<std::uint8_t>(0x40 + i);
        BridgeDouble::queueRead(device, bytes, c.status);
        BridgeDouble::queueRead(device, {0xEE}, 0x12); // marks the end of the case
        ASSERT_TRUE(spinUntil([&] { return !chunks.empty() && chunks.back() == std::vector<char>{'\xEE'}; }));
        std::vector<std::vector<char>> expected;
        if (c.handedOver)
            expected.emplace_back(bytes.begin(), bytes.end());
        expected.push_back({'\xEE'});
        EXPECT_EQ(chunks, expected);
        link->Disconnect();
    }
}

TEST_F(ReaderTest, ChunksArriveInOrderOneAtATimeEvenWhenAHandlerRunsAnEventLoop)
{
    BridgeDouble::setStream(device, 7);
    const auto link = makeFastLink();
    bool inHandler = false;
    int overlaps = 0;
    std::vector<char> received;
    link->OnReceiveData = [&](const char* data, std::uint32_t len) {
        if (inHandler)
            ++overlaps;
        inHandler = true;
        EXPECT_EQ(len, 7u);
        received.insert(received.end(), data, data + len);
        // Like a modal message box: the UI thread's loop runs inside the handler.
        if (received.size() % 35 == 0)
            QTest::qWait(5);
        inHandler = false;
    };
    connectOne(*link);
    ASSERT_TRUE(spinUntil([&] { return received.size() >= 7 * 100; }));
    link->Disconnect();
    EXPECT_EQ(overlaps, 0);
    for (std::size_t i = 0; i < received.size(); ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(received[i]), static_cast<std::uint8_t>(i)) << "byte " << i;
}

TEST_F(ReaderTest, NoPollWhilePausedAndPollsGoOnAfterwards)
{
    BridgeDouble::setStream(device, 3);
    const auto link = makeFastLink();
    connectOne(*link);
    ASSERT_TRUE(spinUntil([&] { return chunks.size() >= 3; }));

    link->setReadPause(true);
    EXPECT_TRUE(link->ReadPause());
    const auto reads = BridgeDouble::calls("HidUart_Read");
    spinFor(30);
    EXPECT_EQ(BridgeDouble::calls("HidUart_Read"), reads);

    link->setReadPause(false);
    EXPECT_FALSE(link->ReadPause());
    const auto chunksBefore = chunks.size();
    EXPECT_TRUE(spinUntil([&] { return chunks.size() > chunksBefore + 3; }));

    // Stopping a paused reader ends it at once, without the grace wait, once no hand-over is left waiting.
    link->setReaderStopWait(1000ms);
    link->setReadPause(true);
    spinFor(5);
    QElapsedTimer clock;
    clock.start();
    link->Disconnect();
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(log.back(), "disconnect");
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    EXPECT_FALSE(link->ReadPause()) << "no reader is left paused";
}

TEST_F(ReaderTest, StopServesAHandOverTheReaderIsBlockedIn)
{
    const auto link = makeFastLink();
    link->setReaderStopWait(100ms);
    connectOne(*link);
    BridgeDouble::queueRead(device, {1, 2, 3});
    waitUntilReaderHoldsAChunk();

    QElapsedTimer clock;
    clock.start();
    link->Disconnect();
    const auto elapsed = clock.elapsed();
    EXPECT_EQ(log, (Strings{"data 3", "disconnect"})) << "the chunk is handed over while still connected";
    EXPECT_GE(elapsed, 90);
    EXPECT_LT(elapsed, 1000);
    EXPECT_EQ(BridgeDouble::openHandles(), 0);

    spinFor(10);
    EXPECT_EQ(dataEntries().size(), 1u) << "the queued call that arrives late delivers nothing again";
}

TEST_F(ReaderTest, DisconnectFromInsideTheReceiveHandlerDoesNotHang)
{
    const auto link = makeFastLink();
    TCP2110* raw = link.get();
    connectOne(*link);
    link->OnReceiveData = [&](const char*, std::uint32_t len) {
        log.push_back("data " + std::to_string(len));
        raw->Disconnect();
        log.push_back("handler done");
    };
    BridgeDouble::queueRead(device, {1, 2, 3});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(spinUntil([&] { return log.size() >= 3; }));
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_EQ(log, (Strings{"data 3", "disconnect", "handler done"}));
    EXPECT_FALSE(link->Connected());
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    const auto reads = BridgeDouble::calls("HidUart_Read");
    spinFor(10);
    EXPECT_EQ(BridgeDouble::calls("HidUart_Read"), reads);
    EXPECT_EQ(BridgeDouble::readsWithoutHandle(), 0u);
}

TEST_F(ReaderTest, AHandlerThatThrowsDuringTheStopStillLeavesTheLinkClosed)
{
    const auto link = makeFastLink();
    link->setReaderStopWait(20ms);
    connectOne(*link);
    link->OnReceiveData = [](const char*, std::uint32_t) { throw std::runtime_error("handler failed"); };
    BridgeDouble::queueRead(device, {9});
    waitUntilReaderHoldsAChunk();
    EXPECT_THROW(link->Disconnect(), std::runtime_error);
    EXPECT_FALSE(link->Connected());
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    EXPECT_EQ(log, Strings{"disconnect"});
}

} // namespace
