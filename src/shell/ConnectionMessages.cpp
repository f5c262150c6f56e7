#include "shell/ConnectionMessages.h"

#include <QFileInfo>

namespace korvex {

QString NoPermissionMessage(const QString& node, bool ruleInstalled)
{
    const QString cable = node.isEmpty() ? QStringLiteral("The meter's USB cable")
                                         : QStringLiteral("The meter's USB cable (%1)").arg(node);
    if (ruleInstalled)
        return cable + QStringLiteral(
                           " is attached, but this user may not open it. The rule that grants it is installed: it "
                           "gives the cable to the user at this computer's own seat, and to the group plugdev. "
                           "Over ssh, from the headless logger or from an inactive session, add this user to "
                           "plugdev (sudo usermod -aG plugdev $USER), then log in again.");
    return cable + QStringLiteral(
                       " is attached, but this user may not open it. Install the korvex-lcr package, or run "
                       "scripts/setup --udev in the source tree; then unplug the cable and plug it in again.");
}

bool UdevRuleInstalled(const QString& node)
{
    for (const char* folder : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        if (QFileInfo::exists(QLatin1String(folder) + QStringLiteral("/60-korvex-lcr.rules")))
            return true;
    }
    return !node.isEmpty() && QFileInfo(node).group() == QLatin1String("plugdev");
}

QString ConnectFailureMessage(std::uint32_t code, const QString& node)
{
    if (code == TCP2110::ConnectNoPermission)
        return NoPermissionMessage(node, UdevRuleInstalled(node));
    if (code == TCP2110::ConnectInUse)
        return QString::fromLatin1(InUseMessage);
    return QString::fromLatin1(NoDeviceMessage);
}

}  // namespace korvex
