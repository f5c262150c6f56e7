#pragma once

#include <cstdint>
#include <functional>

#include <QObject>
#include <QString>

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace korvex {

// Reports hidraw device nodes coming and going, read from a libudev monitor on the UI thread's event loop.
// Where no monitor can be opened (no udev, no netlink) it stays silent.
class UdevWatcher : public QObject {
public:
    using Handler = std::function<void(std::uint32_t eventCode, const QString& path)>;

    explicit UdevWatcher(Handler handler, QObject* parent = nullptr);
    ~UdevWatcher() override;

    bool isActive() const { return notifier_ != nullptr; }

    // "add" is an arrival, "remove" a removal, every other action a plain change.
    static std::uint32_t eventCodeForAction(const char* action);

private:
    void readEvent();

    Handler handler_;
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace korvex
