#include "shell/ListDevices.h"

#include <QFileInfo>

#include "links/AttachedBridges.h"
#include "links/BridgeLibrary.h"
#include "shell/ConnectionMessages.h"

namespace korvex {
namespace {

// Only our own library's statuses say why; any other failure is told by its number.
QString openability(int status, bool ownStatuses)
{
    if (status == 0)
        return QStringLiteral("can be opened");
    if (ownStatuses && status == BridgeStatusPermissionDenied)
        return QStringLiteral("cannot be opened: no permission");
    if (ownStatuses && status == BridgeStatusInUse)
        return QStringLiteral("cannot be opened: in use by another program");
    return QStringLiteral("cannot be opened (status 0x%1): in use by another program, or failing")
        .arg(status, 2, 16, QLatin1Char('0'));
}

} // namespace

DeviceListing ListDevices(const QString& libraryPath)
{
    DeviceListing listing;
    // Checked here so that a missing file is told on the terminal, not in the link's message box.
    if (!QFileInfo::exists(libraryPath)) {
        listing.text = QStringLiteral("Bridge library not found: %1\n").arg(libraryPath);
        listing.exitStatus = 1;
        return listing;
    }
    const BridgeLibrary library(libraryPath);
    if (!library.isBound()) {
        listing.text = QStringLiteral("Bridge library could not be loaded: %1\n").arg(libraryPath);
        listing.exitStatus = 1;
        return listing;
    }
    listing.text = QStringLiteral("Bridge library: %1\n").arg(libraryPath);
    const std::vector<AttachedBridge> bridges = ListAttachedBridges(library.api());
    if (bridges.empty()) {
        listing.text += QStringLiteral("No meter cable attached (CP2110 USB bridge 10C4:EA80).\n");
        return listing;
    }
    const bool ownStatuses = library.api().KorvexStatuses != nullptr;
    QString deniedNode;
    bool anyOpens = false;
    for (const AttachedBridge& bridge : bridges) {
        anyOpens |= bridge.openStatus == 0;
        listing.text += QStringLiteral("%1  %2  %3\n")
                            .arg(bridge.serial.isEmpty() ? QStringLiteral("(no serial number)") : bridge.serial,
                                 bridge.path, openability(bridge.openStatus, ownStatuses));
        if (ownStatuses && bridge.openStatus == BridgeStatusPermissionDenied && deniedNode.isEmpty())
            deniedNode = bridge.path;
    }
    if (!deniedNode.isEmpty())
        listing.text += NoPermissionMessage(deniedNode, UdevRuleInstalled(deniedNode)) + QLatin1Char('\n');
    // Cables there but none usable: as for the logger, whose start would fail the same way.
    if (!anyOpens)
        listing.exitStatus = 3;
    return listing;
}

} // namespace korvex
