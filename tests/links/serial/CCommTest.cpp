#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <termios.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "links/CComm.h"
#include "links/serial/PtyPair.h"

namespace korvex::testing {
namespace {

using comm::TBaudrate;
using comm::TByteSize;
using comm::TParity;
using comm::TStopBits;

// The worked example frame: Cs 1.234 nF, D 0.012, 1 kHz.
const std::vector<std::uint8_t> Frame = {0x00, 0x0D, 0x00, 0x58, 0x00, 0x02, 0x04, 0xD2, 0x53,
                                         0x00, 0x01, 0x00, 0x0C, 0x03, 0x00, 0x0D, 0x0A};

QByteArray Bytes(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Serves the UI thread until the condition holds; false after timeoutMs.
bool SpinUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void SpinFor(int ms)
{
    SpinUntil([] { return false; }, ms);
}

// The text of the error Open raises, empty when it opens.
QString OpenError(TCComm& link)
{
    try {
        link.Open();
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

class SerialLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        Watch(link);
        link.setCommPort(pty.path());
    }

    void Watch(TCComm& watched)
    {
        watched.OnOpened = [this, &watched](QObject* sender) {
            EXPECT_EQ(sender, &watched);
            ++opened;
        };
        watched.OnClosed = [this, &watched](QObject* sender) {
            EXPECT_EQ(sender, &watched);
            ++closed;
        };
        watched.OnReceiveData = [this](const void* buffer, std::uint32_t len) {
            chunks.emplace_back(static_cast<const char*>(buffer), static_cast<qsizetype>(len));
        };
    }

    QByteArray AllReceived() const
    {
        QByteArray all;
        for (const QByteArray& chunk : chunks)
            all += chunk;
        return all;
    }

    // The terminal's settings: the kernel's, with the character size and parity the link last asked for.
    termios LineSettings() const
    {
        termios settings{};
        EXPECT_EQ(tcgetattr(pty.terminal(), &settings), 0);
        return settings;
    }

    PtyPair pty;
    TCComm link;
    std::vector<QByteArray> chunks;
    int opened = 0;
    int closed = 0;
};

TEST(SerialPortName, ComNamesAreTheSerialPortsAndOtherNamesPassAsTheyAre)
{
    const struct {
        const char* name;
        const char* device;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},     {"COM2", "/dev/ttyS1"},       {"COM10", "/dev/ttyS9"},
        {"com3", "/dev/ttyS2"},     {"COM0", "COM0"},             {"COM", "COM"},
        {"COM-1", "COM-1"},         {"COM+1", "COM+1"},           {"COM 1", "COM 1"},
        {"COM1x", "COM1x"},         {"ttyUSB0", "ttyUSB0"},       {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/3", "/dev/pts/3"}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(comm::portDeviceName(QString::fromLatin1(c.name)), QString::fromLatin1(c.device)) << c.name;
}

TEST_F(SerialLink, StartsClosedWithTheMetersLineSettingsAndOpensWithThem)
{
    TCComm fresh;
    EXPECT_FALSE(fresh.Connected());
    EXPECT_EQ(fresh.CommPort(), "COM1");
    EXPECT_EQ(fresh.BaudRate(), TBaudrate::CBR_9600);
    EXPECT_EQ(fresh.ByteSize(), TByteSize::_8);
    EXPECT_EQ(fresh.StopBits(), TStopBits::_1);
    EXPECT_EQ(fresh.Parity(), TParity::Non);

    ASSERT_EQ(OpenError(link), "");
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(opened, 1);
    const termios line = LineSettings();
    EXPECT_EQ(LineBitRate(pty.terminal()), 9600u);
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(SerialLink, AFrameFromTheFarEndIsHandedOverWhole)
{
    ASSERT_EQ(OpenError(link), "");
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return !chunks.empty(); }));
    SpinFor(300);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0], Bytes(Frame));
}

TEST_F(SerialLink, LineSettingsReachTheTerminal)
{
    const struct {
        TBaudrate rate;
        TByteSize size;
        TParity parity;
        TStopBits stop;
        std::uint32_t bitRate;
        tcflag_t characterSize;
        tcflag_t parityBits;
        bool twoStopBits;
    } cases[] = {
        {TBaudrate::CBR_57600, TByteSize::_7, TParity::Even, TStopBits::_2, 57600, CS7, PARENB, true},
        {TBaudrate::CBR_110, TByteSize::_5, TParity::Odd, TStopBits::_1, 110, CS5, PARENB | PARODD, false},
        {TBaudrate::CBR_115200, TByteSize::_6, TParity::Mark, TStopBits::_2, 115200, CS6, PARENB | PARODD | CMSPAR, true},
        {TBaudrate::CBR_14400, TByteSize::_8, TParity::Space, TStopBits::_1, 14400, CS8, PARENB | CMSPAR, false},
        {TBaudrate::CBR_9600, TByteSize::_8, TParity::Non, TStopBits::_1, 9600, CS8, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bitRate);
        PtyPair line;
        ASSERT_TRUE(line.ok());
        TCComm configured;
        configured.setCommPort(line.path());
        configured.setBaudRate(c.rate);
        configured.setByteSize(c.size);
        configured.setParity(c.parity);
        configured.setStopBits(c.stop);
        ASSERT_EQ(OpenError(configured), "");
        termios settings{};
        ASSERT_EQ(tcgetattr(line.terminal(), &settings), 0);
        EXPECT_EQ(LineBitRate(line.terminal()), c.bitRate);
        EXPECT_EQ(settings.c_cflag & CSIZE, c.characterSize);
        EXPECT_EQ(settings.c_cflag & (PARENB | PARODD | CMSPAR), c.parityBits);
        EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, c.twoStopBits);
    }
}

TEST_F(SerialLink, SettingsChangedWhileOpenApplyAtOnce)
{
    ASSERT_EQ(OpenError(link), "");
    for (int r = 0; r <= static_cast<int>(TBaudrate::CBR_256000); ++r) {
        const auto rate = static_cast<TBaudrate>(r);
        link.setBaudRate(rate);
        EXPECT_EQ(LineBitRate(pty.terminal()), comm::baudRateValue(rate)) << "rate " << r;
    }
    link.setByteSize(TByteSize::_7);
    EXPECT_EQ(LineSettings().c_cflag & CSIZE, tcflag_t(CS7));
    link.setParity(TParity::Odd);
    EXPECT_EQ(LineSettings().c_cflag & (PARENB | PARODD), tcflag_t(PARENB | PARODD));
    link.setStopBits(TStopBits::_2);
    EXPECT_NE(LineSettings().c_cflag & CSTOPB, 0u);
    // Still receiving on the same port.
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == Bytes(Frame); }));
}

TEST_F(SerialLink, APortThatDoesNotExistFailsNamingItAndTheNextOpenTriesAgain)
{
    for (const char* name : {"COM250", "ttyKorvexMissing", "/dev/korvex-missing"}) {
        SCOPED_TRACE(name);
        link.setCommPort(QString::fromLatin1(name));
        const QString failed = QStringLiteral("Failed to open %1! ").arg(QLatin1String(name));
        EXPECT_TRUE(OpenError(link).startsWith(failed));
        EXPECT_FALSE(link.Connected());
        EXPECT_TRUE(OpenError(link).startsWith(failed));
        EXPECT_FALSE(link.Connected());
    }
    EXPECT_EQ(opened, 0);
    link.setCommPort(pty.path());
    EXPECT_EQ(OpenError(link), "");
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(opened, 1);
}

TEST_F(SerialLink, ASecondOpenWhileOpenFailsAndLeavesThePortAlone)
{
    ASSERT_EQ(OpenError(link), "");
    EXPECT_EQ(pty.openCountInThisProcess(), 2);
    EXPECT_EQ(OpenError(link), pty.path() + " has been opened!");
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(pty.openCountInThisProcess(), 2);
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == Bytes(Frame); }));
}

TEST_F(SerialLink, ChangingCommPortWhileOpenTakesEffectAtTheNextOpen)
{
    PtyPair other;
    ASSERT_TRUE(other.ok());
    ASSERT_EQ(OpenError(link), "");
    link.setCommPort(other.path());
    EXPECT_EQ(link.CommPort(), other.path());
    EXPECT_EQ(OpenError(link), other.path() + " has been opened!");
    EXPECT_EQ(other.openCountInThisProcess(), 1);
    other.write("other");
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == Bytes(Frame); }));

    link.Close();
    EXPECT_EQ(pty.openCountInThisProcess(), 1);
    ASSERT_EQ(OpenError(link), "");
    EXPECT_EQ(other.openCountInThisProcess(), 2);
    chunks.clear();
    other.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == Bytes(Frame); }));
}

TEST_F(SerialLink, CloseActsAndRaisesOnClosedOnlyWhenAPortIsOpen)
{
    link.Close();
    EXPECT_EQ(closed, 0);
    ASSERT_EQ(OpenError(link), "");
    link.Close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(pty.openCountInThisProcess(), 1);
    link.Close();
    EXPECT_EQ(closed, 1);

    pty.write(Frame);
    SpinFor(300);
    EXPECT_TRUE(chunks.empty());
    ASSERT_EQ(OpenError(link), "");
    EXPECT_EQ(opened, 2);
}

TEST_F(SerialLink, WhatWaitedBeforeTheOpenIsDiscarded)
{
    pty.write("stale bytes from before");
    SpinFor(50);
    ASSERT_EQ(OpenError(link), "");
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return !chunks.empty(); }));
    EXPECT_EQ(chunks[0], Bytes(Frame));
}

TEST_F(SerialLink, BytesCloseTogetherAreHandedOverTogether)
{
    // A long quiet time, so that the gaps below stay far inside it however loaded the machine is.
    link.setReadInterval(std::chrono::milliseconds(250));
    ASSERT_EQ(OpenError(link), "");
    const std::vector<std::uint8_t> first(Frame.begin(), Frame.begin() + 5);
    const std::vector<std::uint8_t> second(Frame.begin() + 5, Frame.begin() + 11);
    const std::vector<std::uint8_t> third(Frame.begin() + 11, Frame.end());
    pty.write(first);
    SpinFor(20);
    pty.write(second);
    SpinFor(20);
    pty.write(third);
    ASSERT_TRUE(SpinUntil([&] { return !chunks.empty(); }));
    SpinFor(300);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0], Bytes(Frame));
}

TEST_F(SerialLink, APauseOfTheReadIntervalEndsAHandOver)
{
    ASSERT_EQ(link.ReadInterval(), std::chrono::milliseconds(100));
    ASSERT_EQ(OpenError(link), "");
    QElapsedTimer sinceWrite;
    pty.write("first");
    sinceWrite.start();
    ASSERT_TRUE(SpinUntil([&] { return !chunks.empty(); }));
    // Never before the line has been quiet for the interval.
    EXPECT_GE(sinceWrite.elapsed(), 95);
    SpinFor(400);
    pty.write("second");
    ASSERT_TRUE(SpinUntil([&] { return chunks.size() == 2; }));
    SpinFor(200);
    EXPECT_EQ(chunks, (std::vector<QByteArray>{"first", "second"}));
}

TEST_F(SerialLink, AStreamWithoutPausesIsHandedOverInBoundedChunks)
{
    ASSERT_EQ(OpenError(link), "");
    std::vector<std::uint8_t> stream(20000);
    for (std::size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<std::uint8_t>(i % 251);
    std::thread farEnd([&] { pty.write(stream); });
    const bool all = SpinUntil([&] { return AllReceived().size() >= static_cast<qsizetype>(stream.size()); }, 20000);
    farEnd.join();
    ASSERT_TRUE(all);
    EXPECT_EQ(AllReceived(), Bytes(stream));
    EXPECT_GE(chunks.size(), 4u);
    for (const QByteArray& chunk : chunks)
        EXPECT_LE(chunk.size(), TCComm::InputQueueSize);
}

TEST_F(SerialLink, HandOversComeOneAtATimeInOrderEvenWhileAHandlerServesEvents)
{
    int depth = 0;
    int deepest = 0;
    link.OnReceiveData = [&](const void* buffer, std::uint32_t len) {
        deepest = std::max(deepest, ++depth);
        chunks.emplace_back(static_cast<const char*>(buffer), static_cast<qsizetype>(len));
        if (chunks.size() == 1) {
            // As a modal dialog would: serve events while bytes keep coming.
            QTimer::singleShot(150, [&] { pty.write("second"); });
            QTimer::singleShot(400, [&] { pty.write("third"); });
            QEventLoop loop;
            QTimer::singleShot(700, &loop, &QEventLoop::quit);
            loop.exec();
            EXPECT_EQ(chunks.size(), 1u);
        }
        --depth;
    };
    ASSERT_EQ(OpenError(link), "");
    pty.write("first");
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == "firstsecondthird"; }));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(chunks.front(), "first");
}

TEST_F(SerialLink, AHandlerMayCloseTheLinkAndKeepsItsBytesUntilItReturns)
{
    QByteArray seenAfterClose;
    link.OnReceiveData = [&](const void* buffer, std::uint32_t len) {
        link.Close();
        seenAfterClose = QByteArray(static_cast<const char*>(buffer), static_cast<qsizetype>(len));
    };
    ASSERT_EQ(OpenError(link), "");
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return closed == 1; }));
    EXPECT_EQ(seenAfterClose, Bytes(Frame));
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(pty.openCountInThisProcess(), 1);
}

TEST_F(SerialLink, AnErrorFromTheHandlerGoesToTheErrorReportAndTheLinkGoesOn)
{
    QStringList reported;
    link.ErrorReport = [&](const std::exception& error) { reported << QString::fromUtf8(error.what()); };
    link.OnReceiveData = [&](const void* buffer, std::uint32_t len) {
        chunks.emplace_back(static_cast<const char*>(buffer), static_cast<qsizetype>(len));
        if (chunks.size() == 1)
            throw std::runtime_error("handler failed");
    };
    ASSERT_EQ(OpenError(link), "");
    pty.write("first");
    ASSERT_TRUE(SpinUntil([&] { return !reported.isEmpty(); }));
    EXPECT_EQ(reported, QStringList{"handler failed"});
    pty.write("second");
    ASSERT_TRUE(SpinUntil([&] { return chunks.size() == 2; }));
    EXPECT_EQ(chunks[1], "second");
}

TEST_F(SerialLink, TheFarEndHangingUpLeavesTheLinkClosable)
{
    ASSERT_EQ(OpenError(link), "");
    pty.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == Bytes(Frame); }));
    int lost = 0;
    link.OnLineLost = [&](QObject*) { ++lost; };
    pty.hangUp();
    // The link lets the device go, closes and says why; a later Close does nothing more.
    ASSERT_TRUE(SpinUntil([&] { return pty.openCountInThisProcess() == 1; }));
    ASSERT_TRUE(SpinUntil([&] { return lost == 1; }));
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(closed, 1);
    link.setBaudRate(TBaudrate::CBR_19200);
    link.Close();
    EXPECT_EQ(closed, 1);

    PtyPair next;
    ASSERT_TRUE(next.ok());
    link.setCommPort(next.path());
    ASSERT_EQ(OpenError(link), "");
    chunks.clear();
    next.write(Frame);
    ASSERT_TRUE(SpinUntil([&] { return AllReceived() == Bytes(Frame); }));
    EXPECT_EQ(LineBitRate(next.terminal()), 19200u);
}

TEST_F(SerialLink, DestroyingAnOpenLinkLetsThePortGoAndRaisesNothing)
{
    auto owned = std::make_unique<TCComm>();
    Watch(*owned);
    owned->setCommPort(pty.path());
    ASSERT_EQ(OpenError(*owned), "");
    EXPECT_EQ(pty.openCountInThisProcess(), 2);
    owned.reset();
    EXPECT_EQ(pty.openCountInThisProcess(), 1);
    EXPECT_EQ(closed, 0);
}

TEST_F(SerialLink, OpenOnAThreadWithoutAnEventLoopFailsAndStaysClosed)
{
    QString error;
    bool connected = true;
    int held = 0;
    std::thread noLoop([&] {
        TCComm stranded;
        stranded.setCommPort(pty.path());
        error = OpenError(stranded);
        connected = stranded.Connected();
        held = pty.openCountInThisProcess();
    });
    noLoop.join();
    EXPECT_EQ(error, "Failed to start reading " + pty.path() + "!");
    EXPECT_FALSE(connected);
    EXPECT_EQ(held, 1);
}

}  // namespace
}  // namespace korvex::testing
