#pragma once

#include <QString>

namespace korvex {

struct DeviceListing {
    QString text;
    int exitStatus = 0;
};

// What --list-devices prints: the bridge library it bound, then one line per attached bridge with its
// serial number, device node and whether it can be opened, or a line saying none is attached. Without a
// library that binds, it says so and the exit status is 1; when cables are attached but none can be
// opened (no permission, in use by another program), the exit status is 3. Needs no display and shows no message box.
DeviceListing ListDevices(const QString& libraryPath);

} // namespace korvex
