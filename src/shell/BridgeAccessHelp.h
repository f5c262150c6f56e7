#pragma once

namespace korvex {

// Shown when the meter cable's bridge is attached but this user may not open its device node: the
// udev rule that grants access is missing, or the cable was plugged in before the rule was installed.
inline constexpr const char NoPermissionMessage[] =
    "The meter's USB cable is attached, but this user may not open it. Install the korvex-lcr package, or "
    "run scripts/setup --udev in the source tree; then unplug the cable and plug it in again.";

} // namespace korvex
