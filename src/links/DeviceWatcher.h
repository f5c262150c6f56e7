#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>

namespace korvex {

using DeviceEventHandler = std::function<void(std::uint32_t eventCode, const QString& path)>;

// Starts this system's watcher of HID device nodes coming and going (a udev monitor on Linux, device
// interface notifications on Windows), which calls handler on the UI thread with a device event code and
// the device's path. Where the system offers no notifications, the watcher stays silent.
std::unique_ptr<QObject> StartDeviceWatcher(DeviceEventHandler handler);

} // namespace korvex
