#include "links/WinDeviceWatcher.h"

#include <windows.h>

// dbt.h's event codes are the values the link's handler takes (links/DeviceEvents.h, not included here,
// names them alike).
#include <dbt.h>

#include <QCoreApplication>
#include <QWindow>

namespace korvex {
namespace {

// The HID device interface class.
constexpr GUID HidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

}  // namespace

WinDeviceWatcher::WinDeviceWatcher(DeviceEventHandler handler)
    : handler_(std::move(handler))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
    // Never shown: a native window only to receive the notifications, through Qt's own dispatch.
    window_ = std::make_unique<QWindow>();
    window_->setObjectName(QStringLiteral("DeviceNotificationWindow"));
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = HidInterfaceClass;
    notification_ = RegisterDeviceNotificationW(reinterpret_cast<HWND>(window_->winId()), &filter,
                                                DEVICE_NOTIFY_WINDOW_HANDLE);
}

WinDeviceWatcher::~WinDeviceWatcher()
{
    if (notification_)
        UnregisterDeviceNotification(notification_);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::optional<DeviceChange> WinDeviceWatcher::changeFor(unsigned message, std::uintptr_t wParam,
                                                        std::intptr_t lParam)
{
    if (message != WM_DEVICECHANGE)
        return std::nullopt;
    if (wParam == DBT_DEVNODES_CHANGED)
        return DeviceChange{DBT_DEVNODES_CHANGED, QString()};
    if (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE)
        return std::nullopt;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return std::nullopt;
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const QString path = QString::fromWCharArray(device->dbcc_name).toLower();
    return DeviceChange{static_cast<std::uint32_t>(wParam), path};
}

bool WinDeviceWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "windows_generic_MSG" || !message)
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    const std::optional<DeviceChange> change = changeFor(msg->message, msg->wParam, msg->lParam);
    // Every top-level window hears the plain change; one call for ours is enough.
    if (change && (change->eventCode != DBT_DEVNODES_CHANGED || msg->hwnd == HWND(window_->winId()))
        && handler_)
        handler_(change->eventCode, change->path);
    return false;
}

std::unique_ptr<QObject> StartDeviceWatcher(DeviceEventHandler handler)
{
    return std::make_unique<WinDeviceWatcher>(std::move(handler));
}

}  // namespace korvex
