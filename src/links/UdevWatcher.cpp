#include "links/UdevWatcher.h"

#include <libudev.h>

#include <QSocketNotifier>
#include <cstring>

#include "links/DeviceEvents.h"
#include "links/DeviceWatcher.h"

namespace korvex {

UdevWatcher::UdevWatcher(Handler handler, QObject* parent)
    : QObject(parent)
    , handler_(std::move(handler))
{
    udev_ = udev_new();
    if (!udev_)
        return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(monitor_) < 0)
        return;
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0)
        return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UdevWatcher::readEvent);
}

UdevWatcher::~UdevWatcher()
{
    delete notifier_;
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

std::uint32_t UdevWatcher::eventCodeForAction(const char* action)
{
    if (action && std::strcmp(action, "add") == 0)
        return DBT_DEVICEARRIVAL;
    if (action && std::strcmp(action, "remove") == 0)
        return DBT_DEVICEREMOVECOMPLETE;
    return DBT_DEVNODES_CHANGED;
}

void UdevWatcher::readEvent()
{
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device)
        return;
    const std::uint32_t code = eventCodeForAction(udev_device_get_action(device));
    const char* node = udev_device_get_devnode(device);
    const QString path = node ? QString::fromLocal8Bit(node) : QString();
    udev_device_unref(device);
    if (handler_)
        handler_(code, path);
}

std::unique_ptr<QObject> StartDeviceWatcher(DeviceEventHandler handler)
{
    return std::make_unique<UdevWatcher>(std::move(handler));
}

} // namespace korvex
