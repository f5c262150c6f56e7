#include <gtest/gtest.h>

#include <QFileInfo>

#include "links/AttachedBridges.h"
#include "common/LoadedLibrary.h"
#include "links/BridgeDouble.h"
#include "shell/ConnectionMessages.h"
#include "shell/CommandLine.h"
#include "shell/ListDevices.h"

using namespace korvex;
using korvex::testing::BridgeDouble;

namespace {

QString doublePath()
{
    return QString::fromStdString(BridgeDouble::libraryPath());
}

QString besideTests(const QString& file)
{
    return QFileInfo(doublePath()).absolutePath() + QLatin1Char('/') + file;
}

TEST(ListDevices, ListsOnlyMeterBridgesSortedAsTheLinkSortsThem)
{
    BridgeDouble::reset();
    BridgeDouble::addDevice("B7", "/dev/hidraw7");
    BridgeDouble::addDevice("K1", "/dev/hidraw1", "046D", "C52B"); // another HID device
    BridgeDouble::addDevice("a3", "/dev/hidraw3", "10c4", "ea80");

    const DeviceListing listing = ListDevices(doublePath());

    EXPECT_EQ(listing.exitStatus, 0);
    EXPECT_EQ(listing.text.toStdString(), QStringLiteral("Bridge library: %1\n"
                                                         "a3  /dev/hidraw3  can be opened\n"
                                                         "B7  /dev/hidraw7  can be opened\n")
                                              .arg(doublePath())
                                              .toStdString());
    EXPECT_EQ(BridgeDouble::calls("HidUart_Open"), 2u);
    EXPECT_EQ(BridgeDouble::openHandles(), 0) << "every trial open is closed again";
}

TEST(ListDevices, TellsWhyABridgeDoesNotOpen)
{
    struct Case {
        int status;
        const char* line;
        bool namesTheFix;
    };
    const Case cases[] = {
        {BridgeStatusPermissionDenied, "M1  /dev/hidraw4  cannot be opened: no permission\n", true},
        {0x15, "M1  /dev/hidraw4  cannot be opened (status 0x15): in use by another program, or failing\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        BridgeDouble::reset();
        BridgeDouble::setOpenStatus(BridgeDouble::addDevice("M1", "/dev/hidraw4"), c.status);

        const DeviceListing listing = ListDevices(doublePath());

        EXPECT_EQ(listing.exitStatus, 3) << "no attached cable can be used";
        EXPECT_TRUE(listing.text.contains(QLatin1String(c.line))) << listing.text.toStdString();
        EXPECT_EQ(listing.text.contains(NoPermissionMessage("/dev/hidraw4", UdevRuleInstalled("/dev/hidraw4"))),
                  c.namesTheFix);

        // One usable cable beside it is enough.
        BridgeDouble::addDevice("M2", "/dev/hidraw5");
        EXPECT_EQ(ListDevices(doublePath()).exitStatus, 0);
    }
}

// The advice fits the machine: without the rule, install it; with it, the user is not at the seat.
TEST(ListDevices, ThePermissionMessageNamesTheNodeAndTheFixThatApplies)
{
    const QString withoutRule = NoPermissionMessage("/dev/hidraw4", false);
    const QString withRule = NoPermissionMessage("/dev/hidraw4", true);
    for (const QString& message : {withoutRule, withRule})
        EXPECT_TRUE(message.contains("(/dev/hidraw4)")) << message.toStdString();
    EXPECT_TRUE(withoutRule.contains("scripts/setup --udev"));
    EXPECT_FALSE(withRule.contains("scripts/setup --udev")) << "the rule is there already";
    EXPECT_TRUE(withRule.contains("usermod -aG plugdev"));
}

TEST(ListDevices, SaysSoWhenNothingCanBeListed)
{
    BridgeDouble::reset();
    EXPECT_TRUE(ListDevices(doublePath()).text.endsWith(
        QLatin1String("No meter cable attached (CP2110 USB bridge 10C4:EA80).\n")));

    // A library that cannot count answers like one with no bridge: nothing listed.
    BridgeDouble::addDevice("M1", "/dev/hidraw4");
    BridgeDouble::setStatus("HidUart_GetNumDevices", 0x01);
    EXPECT_TRUE(ListDevices(doublePath()).text.contains(QLatin1String("No meter cable attached")));
    BridgeDouble::setStatus("HidUart_GetNumDevices", -1);

    struct Case {
        QString path;
        const char* text;
    };
    const Case cases[] = {
        {besideTests(korvex::testing::SharedLibraryName("nothere")), "Bridge library not found: "},
        {besideTests(korvex::testing::SharedLibraryName("partialbridge")), "Bridge library could not be loaded: "},
    };
    for (const Case& c : cases) {
        const DeviceListing listing = ListDevices(c.path);
        EXPECT_EQ(listing.exitStatus, 1);
        EXPECT_EQ(listing.text.toStdString(), (QLatin1String(c.text) + c.path + QLatin1Char('\n')).toStdString());
    }
}

TEST(ListDevices, IsAnOptionOfItsOwn)
{
    const QString program = QStringLiteral("korvex-lcr");
    EXPECT_EQ(ParseCommandLine({program, "--list-devices"}).action, CommandLine::Action::ListDevices);
    EXPECT_TRUE(ParseCommandLine({program, "--help"}).output.contains(QLatin1String("--list-devices")));
    const CommandLine withLog = ParseCommandLine({program, "--list-devices", "--log", "-"});
    EXPECT_EQ(withLog.action, CommandLine::Action::Fail);
    EXPECT_TRUE(withLog.output.contains(QLatin1String("--list-devices goes alone."))) << withLog.output.toStdString();
}

} // namespace
