#include <algorithm>
#include <stdexcept>

#include "LinkFixture.h"

using namespace korvex;
using namespace korvex::testing;

namespace {

using Strings = std::vector<std::string>;

class NotificationTest : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        a3 = BridgeDouble::addDevice("a3", "/dev/hidraw2");
        b7 = BridgeDouble::addDevice("B7", "/dev/hidraw1");
    }

    int a3 = -1;
    int b7 = -1;
};

TEST_F(NotificationTest, RemovingAListedBridgeThatIsNotOpenOnlyUpdatesTheList)
{
    BridgeDouble::setStream(a3, 2);
    const auto link = makeFastLink();
    ASSERT_TRUE(link->Connect());
    log.clear();

    BridgeDouble::removeDevice(b7);
    link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, "/dev/hidraw1");
    EXPECT_EQ(link->DeviceList(), QStringList{"a3=/dev/hidraw2"});
    EXPECT_TRUE(link->Connected());
    const auto logged = log;
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "change"), 1);
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(), [](const std::string& e) { return e.rfind("data", 0) != 0 && e != "change"; }), 0);

    // A path that no entry holds leaves the list alone.
    link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, "/dev/hidraw9");
    EXPECT_EQ(link->DeviceList(), QStringList{"a3=/dev/hidraw2"});
    const auto chunksBefore = chunks.size();
    EXPECT_TRUE(spinUntil([&] { return chunks.size() > chunksBefore; })) << "the open link reads on";
    link->Disconnect();
}

TEST_F(NotificationTest, PullingOutTheOpenBridgeRemovesDisconnectsThenReportsTheChange)
{
    BridgeDouble::setStream(a3, 5);
    const auto link = makeFastLink();
    ASSERT_TRUE(link->Connect());
    ASSERT_TRUE(spinUntil([&] { return chunks.size() >= 2; }));

    BridgeDouble::removeDevice(a3);
    spinFor(5); // reads fail silently until the notification comes
    log.clear();
    link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, "/DEV/HIDRAW2");
    // A chunk read just before the pull may still wait for the UI thread; the stop hands it over, before
    // OnDisconnect.
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "removal");
    EXPECT_TRUE(std::all_of(log.begin() + 1, log.end() - 2, [](const std::string& e) { return e == "data 5"; }));
    EXPECT_EQ(*(log.end() - 2), "disconnect");
    EXPECT_EQ(log.back(), "change");
    EXPECT_FALSE(link->Connected());
    EXPECT_EQ(link->DeviceList(), QStringList{"B7=/dev/hidraw1"});
    EXPECT_EQ(BridgeDouble::openHandles(), 0);

    spinFor(10);
    EXPECT_EQ(BridgeDouble::calls("HidUart_Read"), readsAtDisconnect) << "no poll after OnDisconnect";
    EXPECT_EQ(BridgeDouble::readsWithoutHandle(), 0u);
}

TEST_F(NotificationTest, ChunksStillArriveWhileTheRemovalHandlerRunsAnEventLoop)
{
    // The window's removal handler shows a modal message, during which the link is still open.
    BridgeDouble::setStream(a3, 4);
    const auto link = makeFastLink();
    ASSERT_TRUE(link->Connect());
    link->OnRemoval = [&](QObject*) {
        log.push_back("removal");
        const auto before = chunks.size();
        EXPECT_TRUE(spinUntil([&] { return chunks.size() > before + 2; }));
        log.push_back("removal answered");
    };
    log.clear();
    link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, "/dev/hidraw2");
    // A chunk still waiting when the handler returns is handed over by the stop, before OnDisconnect.
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log.front(), "removal");
    EXPECT_EQ(log[1], "data 4");
    const auto answered = std::find(log.begin(), log.end(), "removal answered");
    ASSERT_NE(answered, log.end());
    EXPECT_TRUE(std::all_of(log.begin() + 1, answered, [](const std::string& e) { return e == "data 4"; }));
    EXPECT_TRUE(std::all_of(answered + 1, log.end() - 2, [](const std::string& e) { return e == "data 4"; }));
    EXPECT_EQ(*(log.end() - 2), "disconnect");
    EXPECT_EQ(log.back(), "change");
}

TEST_F(NotificationTest, ARemovalHandlerThatThrowsStillDisconnectsAndReportsTheChange)
{
    const auto link = makeFastLink();
    ASSERT_TRUE(link->Connect());
    link->OnRemoval = [](QObject*) { throw std::runtime_error("box failed"); };
    log.clear();
    EXPECT_THROW(link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, "/dev/hidraw2"), std::runtime_error);
    EXPECT_EQ(log, (Strings{"disconnect", "change"}));
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
}

TEST_F(NotificationTest, ArrivalAddsNewBridgesOnlyAndKeepsTheListSorted)
{
    const auto link = makeLink();
    ASSERT_EQ(link->DeviceList(), (QStringList{"a3=/dev/hidraw2", "B7=/dev/hidraw1"}));
    BridgeDouble::addDevice("A3", "/dev/hidraw7");                 // serial already listed, other case
    BridgeDouble::addDevice("0001", "/dev/hidraw6", "046D", "C52B"); // a keyboard with a serial number
    BridgeDouble::addDevice("c9", "/dev/hidraw5", "10c4", "ea80");
    log.clear();

    link->HandleDeviceChange(DBT_DEVICEARRIVAL, "/dev/HIDRAW5");
    EXPECT_EQ(log, (Strings{"arrival", "change"}));
    EXPECT_EQ(link->DeviceList(), (QStringList{"a3=/dev/hidraw2", "B7=/dev/hidraw1", "c9=/dev/hidraw5"}));

    // The keyboard would sort first and become the device Connect looks for.
    log.clear();
    link->HandleDeviceChange(DBT_DEVICEARRIVAL, "/dev/hidraw6");
    EXPECT_EQ(log, (Strings{"arrival", "change"}));
    EXPECT_EQ(link->DeviceList().size(), 3);
}

TEST_F(NotificationTest, ChangesWithoutAPathOrWithAFailingLibraryOnlyReportTheChange)
{
    const auto link = makeLink();
    const QStringList listed = link->DeviceList();
    const auto calls = BridgeDouble::totalCalls();
    log.clear();
    link->HandleDeviceChange(DBT_DEVNODES_CHANGED, QString());
    EXPECT_EQ(log, Strings{"change"});
    EXPECT_EQ(BridgeDouble::totalCalls(), calls);

    BridgeDouble::addDevice("c9", "/dev/hidraw5");
    BridgeDouble::setStatus("HidUart_GetNumDevices", 0xFF);
    log.clear();
    link->HandleDeviceChange(DBT_DEVICEARRIVAL, "/dev/hidraw5");
    EXPECT_EQ(log, Strings{"change"});
    EXPECT_EQ(link->DeviceList(), listed);
}

} // namespace
