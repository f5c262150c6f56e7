#include "LinkFixture.h"

#include <algorithm>

#include "links/BridgeStatus.h"

using namespace korvex;
using namespace korvex::testing;

namespace {

using Strings = std::vector<std::string>;

struct ScriptedDevice {
    std::string serial, path, vendorId = "10C4", productId = "EA80";
    int serialStatus = 0;
};

void attach(const std::vector<ScriptedDevice>& devices)
{
    for (const ScriptedDevice& d : devices) {
        const int id = BridgeDouble::addDevice(d.serial, d.path, d.vendorId, d.productId);
        if (d.serialStatus)
            BridgeDouble::setStringStatus(id, 4, d.serialStatus);
    }
}

class ConnectTest : public LinkFixture {};

TEST_F(ConnectTest, StartUpListsBridgesSortedAndPicksTheFirstNamedOne)
{
    struct Case {
        const char* what;
        std::vector<ScriptedDevice> devices;
        QStringList list;
        QString deviceName;
    };
    const Case cases[] = {
        {"nothing attached", {}, {}, ""},
        {"sorted without regard to case",
         {{"B7", "/dev/hidraw1"}, {"a3", "/dev/hidraw2"}},
         {"a3=/dev/hidraw2", "B7=/dev/hidraw1"},
         "a3"},
        {"lower-case ids match", {{"x1", "/dev/hidraw1", "10c4", "ea80"}}, {"x1=/dev/hidraw1"}, "x1"},
        {"other ids are left out",
         {{"KB", "/dev/hidraw0", "046D", "C31C"}, {"m1", "/dev/hidraw1"}, {"P", "/dev/hidraw2", "10C4", "EA60"}},
         {"m1=/dev/hidraw1"},
         "m1"},
        {"unreadable serial skipped", {{"s1", "/dev/hidraw1", "10C4", "EA80", 1}, {"m2", "/dev/hidraw2"}},
         {"m2=/dev/hidraw2"}, "m2"},
        {"blank name is listed but not chosen",
         {{"c5", "/dev/hidraw2"}, {"  ", "/dev/hidraw1"}},
         {"  =/dev/hidraw1", "c5=/dev/hidraw2"},
         "c5"},
        {"only blank names leave DeviceName alone", {{"\t", "/dev/hidraw1"}}, {"\t=/dev/hidraw1"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BridgeDouble::reset();
        attach(c.devices);
        const auto link = makeLink();
        EXPECT_EQ(link->DeviceList(), c.list);
        EXPECT_EQ(link->DeviceName(), c.deviceName);
        EXPECT_TRUE(link->LibraryBound());
    }
}

TEST_F(ConnectTest, DefaultsBeforeAnyConnect)
{
    const auto link = makeLink();
    EXPECT_FALSE(link->Connected());
    EXPECT_EQ(link->BaudRate(), TBaudRate::CBR_9600);
    EXPECT_EQ(link->ByteSize(), TByteSize::_8);
    EXPECT_EQ(link->StopBits(), TStopBits::_1);
    EXPECT_EQ(link->Parity(), TParity::None);
    EXPECT_EQ(link->ReadTimeOuts(), 0u);
    EXPECT_EQ(link->WriteTimeOuts(), 500u);
    EXPECT_EQ(link->ReadTimeInterval(), 100u);
    EXPECT_EQ(link->PollPause(), 70u);
    EXPECT_FALSE(link->ReadPause());
}

TEST_F(ConnectTest, FailedConnectsReportError101AndLeaveNothingOpen)
{
    struct Case {
        const char* what;
        std::function<void(int device)> script;
        QString deviceName;
        bool opensDevice;
    };
    const Case cases[] = {
        {"no device attached", [](int) { BridgeDouble::reset(); }, "", false},
        {"no bridge, a keyboard without a serial number",
         [](int) {
             BridgeDouble::reset();
             BridgeDouble::addDevice("", "/dev/hidraw0", "046D", "C31C");
         },
         "", false},
        {"serial differs in letter case", [](int) {}, "ab12", false},
        {"device count fails", [](int) { BridgeDouble::setStatus("HidUart_GetNumDevices", 0xFF); }, "AB12", false},
        {"open fails", [](int d) { BridgeDouble::setOpenStatus(d, 0x15); }, "AB12", false},
        {"part number fails", [](int) { BridgeDouble::setStatus("HidUart_GetPartNumber", 0x14); }, "AB12", true},
        {"config refused", [](int) { BridgeDouble::setStatus("HidUart_SetUartConfig", 0x04); }, "AB12", true},
        {"read-back fails", [](int) { BridgeDouble::setStatus("HidUart_GetUartConfig", 0x14); }, "AB12", true},
        {"read-back differs", [](int d) { BridgeDouble::setReadBackMismatch(d, true); }, "AB12", true},
        {"time-outs refused", [](int) { BridgeDouble::setStatus("HidUart_SetTimeouts", 0x04); }, "AB12", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BridgeDouble::reset();
        const int device = BridgeDouble::addDevice("AB12", "/dev/hidraw4");
        const auto link = makeFastLink();
        c.script(device);
        link->setDeviceName(c.deviceName);
        log.clear();

        EXPECT_FALSE(link->Connect());
        EXPECT_EQ(log, Strings{"error 101 ''"});
        EXPECT_FALSE(link->Connected());
        EXPECT_EQ(BridgeDouble::openHandles(), 0);
        EXPECT_EQ(BridgeDouble::calls("HidUart_Close"), c.opensDevice ? 1u : 0u);
        if (!c.opensDevice) {
            EXPECT_EQ(BridgeDouble::calls("HidUart_Open") > 0, std::string(c.what) == "open fails");
        }
        spinFor(5);
        EXPECT_EQ(BridgeDouble::calls("HidUart_Read"), 0u) << "no reader after a failed connect";
    }
}

TEST_F(ConnectTest, ConnectPassesOverADeviceWithTheSameSerialThatIsNotABridge)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw0", "046D", "C31C");
    const int bridge = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    BridgeDouble::queueRead(bridge, {0x42});
    const auto link = makeFastLink();
    ASSERT_TRUE(link->Connect());
    EXPECT_EQ(BridgeDouble::calls("HidUart_Open"), 1u);
    ASSERT_TRUE(spinUntil([&] { return !chunks.empty(); })) << "the bridge, not the keyboard, was opened";
    link->Disconnect();
}

TEST_F(ConnectTest, ARefusedPermissionIsReportedAs102OnlyWhenNoNamedDeviceOpened)
{
    BridgeDouble::reset();
    const int refusing = BridgeDouble::addDevice("AB12", "/dev/hidraw4");
    BridgeDouble::setOpenStatus(refusing, BridgeStatusPermissionDenied);
    const auto link = makeFastLink();
    link->setDeviceName("AB12");
    log.clear();
    EXPECT_FALSE(link->Connect());
    EXPECT_EQ(log, Strings{"error 102 '/dev/hidraw4'"});
    EXPECT_EQ(BridgeDouble::openHandles(), 0);

    // The next attempt reports what it met itself, not the refusal before it: a cable another program
    // holds has its own code; the chip maker's statuses (0x15 access, 0x17 configuration version) none.
    const std::pair<int, const char*> others[] = {
        {BridgeStatusInUse, "error 103 ''"}, {0x15, "error 101 ''"}, {0x17, "error 101 ''"}};
    for (const auto& [status, reported] : others) {
        BridgeDouble::setOpenStatus(refusing, status);
        log.clear();
        EXPECT_FALSE(link->Connect());
        EXPECT_EQ(log, Strings{reported}) << status;
    }

    // A second bridge with the same serial number that opens wins over the refusing one.
    BridgeDouble::setOpenStatus(refusing, BridgeStatusPermissionDenied);
    BridgeDouble::addDevice("AB12", "/dev/hidraw5");
    log.clear();
    EXPECT_TRUE(link->Connect());
    EXPECT_TRUE(link->Connected());
    EXPECT_EQ(std::count(log.begin(), log.end(), "error 102 '/dev/hidraw4'"), 0);
    link->Disconnect();
}

TEST_F(ConnectTest, ConnectConfiguresTheNamedDeviceFromTheProperties)
{
    BridgeDouble::addDevice("B7", "/dev/hidraw1");
    BridgeDouble::addDevice("a3", "/dev/hidraw2");
    const auto link = makeFastLink();
    ASSERT_EQ(link->DeviceName(), "a3");

    ASSERT_TRUE(link->Connect());
    EXPECT_EQ(log, Strings{"connect"});
    EXPECT_TRUE(link->Connected());
    auto config = BridgeDouble::lastUartConfig();
    EXPECT_EQ(config.baudRate, 9600u);
    EXPECT_EQ(config.dataBits, 3);
    EXPECT_EQ(config.parity, 0);
    EXPECT_EQ(config.stopBits, 0);
    EXPECT_EQ(config.flowControl, 0);
    EXPECT_EQ(BridgeDouble::lastTimeouts(), (std::pair<std::uint32_t, std::uint32_t>{0, 500}));
    EXPECT_EQ(BridgeDouble::openHandles(), 1);
    link->Disconnect();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);

    link->setBaudRate(TBaudRate::CBR_115200);
    link->setByteSize(TByteSize::_7);
    link->setParity(TParity::Even);
    link->setStopBits(TStopBits::_2);
    link->setReadTimeOuts(20);
    link->setWriteTimeOuts(30);
    ASSERT_TRUE(link->Connect());
    config = BridgeDouble::lastUartConfig();
    EXPECT_EQ(config.baudRate, 115200u);
    EXPECT_EQ(config.dataBits, 2);
    EXPECT_EQ(config.parity, 2);
    EXPECT_EQ(config.stopBits, 1);
    EXPECT_EQ(config.flowControl, 0);
    EXPECT_EQ(BridgeDouble::lastTimeouts(), (std::pair<std::uint32_t, std::uint32_t>{20, 30}));
    link->Disconnect();
}

TEST_F(ConnectTest, StopBitsAndBaudRatesMapToLibraryCodes)
{
    EXPECT_EQ(bridgeUartCodes(TBaudRate::CBR_9600, TByteSize::_8, TParity::None, TStopBits::_1),
              (BridgeUartCodes{9600, 3, 0, 0, 0}));
    EXPECT_EQ(bridgeUartCodes(TBaudRate::CBR_110, TByteSize::_5, TParity::Space, TStopBits::_1_5),
              (BridgeUartCodes{110, 0, 4, 1, 0}));
    EXPECT_EQ(bridgeUartCodes(TBaudRate::CBR_256000, TByteSize::_6, TParity::Mark, TStopBits::_2),
              (BridgeUartCodes{256000, 1, 3, 1, 0}));
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (std::uint8_t i = 0; i < 15; ++i)
        EXPECT_EQ(baudRateValue(static_cast<TBaudRate>(i)), rates[i]);
}

TEST_F(ConnectTest, AFailedOpenIsPassedOverForTheNextDeviceWithThatSerial)
{
    const int first = BridgeDouble::addDevice("M1", "/dev/hidraw1");
    BridgeDouble::addDevice("M1", "/dev/hidraw2");
    BridgeDouble::setOpenStatus(first, 0x15);
    const auto link = makeFastLink();
    ASSERT_TRUE(link->Connect());
    EXPECT_EQ(BridgeDouble::calls("HidUart_Open"), 2u);
    link->Disconnect();
}

TEST_F(ConnectTest, DisconnectWhileIdleCallsNothingAndStillReports)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw2");
    const auto link = makeLink();
    const auto callsBefore = BridgeDouble::totalCalls();
    link->Disconnect();
    EXPECT_EQ(BridgeDouble::totalCalls(), callsBefore);
    EXPECT_EQ(log, Strings{"disconnect"});
    EXPECT_FALSE(link->Connected());
}

TEST_F(ConnectTest, ReadPauseWhileIdleIsIgnored)
{
    const int device = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    const auto link = makeFastLink();
    link->setReadPause(true);
    EXPECT_FALSE(link->ReadPause());
    BridgeDouble::queueRead(device, {1, 2, 3});
    ASSERT_TRUE(link->Connect());
    EXPECT_TRUE(spinUntil([&] { return !chunks.empty(); })) << "the reader starts unpaused";
    link->Disconnect();
}

TEST_F(ConnectTest, ReadTimeIntervalSetsThePollPauseOnlyWhenItChanges)
{
    const auto link = makeLink();
    struct Step {
        std::uint32_t set, interval, pollPause;
    };
    for (const Step s : {Step{100, 100, 70}, Step{50, 50, 50}, Step{100, 100, 100}}) {
        link->setReadTimeInterval(s.set);
        EXPECT_EQ(link->ReadTimeInterval(), s.interval);
        EXPECT_EQ(link->PollPause(), s.pollPause);
    }
}

} // namespace
