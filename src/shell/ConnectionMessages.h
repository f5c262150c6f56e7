#pragma once

#include <cstdint>

#include <QString>

#include "links/uCP2110.h"

namespace korvex {

// The connection notices, shared by the window and the headless logger.
inline constexpr const char NoDeviceMessage[] = "No device found.  Please ensure that you have proper USB connection.";
inline constexpr const char CableMessage[] =
    "USB interface cable is not connected properly, please check and re-try.";

// Shown when the meter cable's bridge is attached but this user may not open its device node: the
// udev rule that grants access is missing, or the cable was plugged in before the rule was installed.
inline constexpr const char NoPermissionMessage[] =
    "The meter's USB cable is attached, but this user may not open it. Install the korvex-lcr package, or "
    "run scripts/setup --udev in the source tree; then unplug the cable and plug it in again.";

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

// The notice for a failed Connect's code.
inline const char* ConnectFailureMessage(std::uint32_t code)
{
    if (code == TCP2110::ConnectNoPermission)
        return NoPermissionMessage;
    if (code == TCP2110::ConnectInUse)
        return InUseMessage;
    return NoDeviceMessage;
}

}  // namespace korvex
