#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>

#include "links/DeviceWatcher.h"

class QWindow;

namespace korvex {

struct DeviceChange {
    std::uint32_t eventCode = 0;
    QString path;
};

// Windows' device interface notifications for HID devices: a hidden window registers for them, and a
// native event filter takes WM_DEVICECHANGE from the application's message dispatch and hands each to the
// handler. Paths come lower case, as the bridge library reports them.
class WinDeviceWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    explicit WinDeviceWatcher(DeviceEventHandler handler);
    ~WinDeviceWatcher() override;

    bool isActive() const { return notification_ != nullptr; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // What one window message means to the link: arrivals and removals of device interfaces, and the
    // plain "device nodes changed"; nothing for any other message.
    static std::optional<DeviceChange> changeFor(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

private:
    DeviceEventHandler handler_;
    std::unique_ptr<QWindow> window_;
    void* notification_ = nullptr;
};

} // namespace korvex
