#include <windows.h>

#include <dbt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <QGuiApplication>
#include <QWindow>

#include "links/WinDeviceWatcher.h"

namespace korvex {
namespace {

// A device interface notification as the system sends it: the header, the class and the path inline.
struct InterfaceBroadcast {
    explicit InterfaceBroadcast(const wchar_t* path)
        : bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + std::wcslen(path) * sizeof(wchar_t))
    {
        auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
        b->dbcc_size = static_cast<DWORD>(bytes.size());
        b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        std::wcscpy(b->dbcc_name, path);
    }
    LPARAM lParam() { return reinterpret_cast<LPARAM>(bytes.data()); }
    std::vector<char> bytes;
};

constexpr const wchar_t* BridgePath = L"\\\\?\\HID#VID_10C4&PID_EA80#7&1A2B3C4D&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const QString BridgePathLower = QStringLiteral(
    "\\\\?\\hid#vid_10c4&pid_ea80#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");

TEST(WinDeviceWatcher, MessagesMapToTheLinksEventCodesWithLowerCasePaths)
{
    InterfaceBroadcast broadcast(BridgePath);
    DEV_BROADCAST_HDR volume = {};
    volume.dbch_size = sizeof(volume);
    volume.dbch_devicetype = DBT_DEVTYP_VOLUME;

    const auto arrival = WinDeviceWatcher::changeFor(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, broadcast.lParam());
    ASSERT_TRUE(arrival);
    EXPECT_EQ(arrival->eventCode, 0x8000u);
    EXPECT_EQ(arrival->path, BridgePathLower);

    const auto removal = WinDeviceWatcher::changeFor(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, broadcast.lParam());
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->eventCode, 0x8004u);

    const auto changed = WinDeviceWatcher::changeFor(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->eventCode, 0x0007u);
    EXPECT_TRUE(changed->path.isEmpty());

    // A drive letter coming, a query, another message: nothing for the link.
    EXPECT_FALSE(WinDeviceWatcher::changeFor(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume)));
    EXPECT_FALSE(WinDeviceWatcher::changeFor(WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, broadcast.lParam()));
    EXPECT_FALSE(WinDeviceWatcher::changeFor(WM_PAINT, DBT_DEVICEARRIVAL, broadcast.lParam()));
    EXPECT_FALSE(WinDeviceWatcher::changeFor(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0));
}

TEST(WinDeviceWatcher, TheFilterHandsEachChangeToTheHandlerOnce)
{
    std::vector<std::pair<std::uint32_t, QString>> calls;
    WinDeviceWatcher watcher([&](std::uint32_t code, const QString& path) { calls.emplace_back(code, path); });
    InterfaceBroadcast broadcast(BridgePath);
    QWindow other;

    const auto message = [&other](UINT id, WPARAM wParam, LPARAM lParam) {
        MSG msg = {};
        msg.hwnd = reinterpret_cast<HWND>(other.winId());
        msg.message = id;
        msg.wParam = wParam;
        msg.lParam = lParam;
        return msg;
    };
    MSG arrival = message(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, broadcast.lParam());
    MSG nodesOther = message(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    MSG paint = message(WM_PAINT, 0, 0);
    qintptr result = 0;
    EXPECT_FALSE(watcher.nativeEventFilter("windows_generic_MSG", &arrival, &result));
    watcher.nativeEventFilter("windows_generic_MSG", &nodesOther, &result);
    watcher.nativeEventFilter("windows_generic_MSG", &paint, &result);
    watcher.nativeEventFilter("windows_dispatcher_MSG", &arrival, &result);

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, 0x8000u);
    EXPECT_EQ(calls[0].second, BridgePathLower);
}

TEST(WinDeviceWatcher, ASentMessageReachesTheHandlerThroughQtsDispatch)
{
    if (QGuiApplication::platformName() != QLatin1String("windows"))
        GTEST_SKIP() << "needs the Windows platform's own windows, not "
                     << QGuiApplication::platformName().toStdString();
    std::vector<std::uint32_t> codes;
    WinDeviceWatcher watcher([&](std::uint32_t code, const QString&) { codes.push_back(code); });
    InterfaceBroadcast broadcast(BridgePath);
    // Sent straight to a window's procedure, as the system sends it: Qt's procedure shows it to the filter.
    QWindow window;
    SendMessageW(reinterpret_cast<HWND>(window.winId()), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, broadcast.lParam());
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0], 0x8000u);
}

}  // namespace
}  // namespace korvex
