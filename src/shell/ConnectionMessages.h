#pragma once

#include <cstdint>

#include <QString>

#include "links/uCP2110.h"

namespace korvex {

// The connection notices, shared by the window and the headless logger.
inline constexpr const char NoDeviceMessage[] = "No device found.  Please ensure that you have proper USB connection.";
inline constexpr const char CableMessage[] =
    "USB interface cable is not connected properly, please check and re-try.";


// Shown when the meter cable's bridge is attached but another program (another Korvex LCR among them)
// has it open.
inline constexpr const char InUseMessage[] =
    "The meter's USB cable is in use by another program. Close that program (or the other Korvex LCR "
    "window), then try again.";

// Shown when the serial link's device went away (the far end hung up, the adapter was pulled).
inline QString SerialLineLostMessage(const QString& port)
{
    return QStringLiteral("%1 is not connected any more, please check the cable and re-try.").arg(port);
}

// Shown when the meter cable's bridge is attached but this user may not open its device node. Without the
// udev rule the fix is to install it; with it, the user is not the one at the computer's seat (ssh, the
// headless logger, an inactive session) and not in the group plugdev either.
QString NoPermissionMessage(const QString& node, bool ruleInstalled);
// Whether the rule that grants the cable is in place: its file is installed, or the node already belongs
// to plugdev.
bool UdevRuleInstalled(const QString& node);

// The notice for a failed Connect's code; node is the refused device node, where there is one.
QString ConnectFailureMessage(std::uint32_t code, const QString& node);

}  // namespace korvex
