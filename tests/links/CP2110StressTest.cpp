#include <chrono>
#include <iostream>
#include <random>
#include <thread>

#include "LinkFixture.h"

using namespace korvex;
using namespace korvex::testing;
using namespace std::chrono_literals;

namespace {

class StressTest : public LinkFixture {};

// 200 connect/disconnect cycles with chunks flowing, each ended a different way: a plain Disconnect, the
// bridge pulled out at a random moment (from another thread, the notification following later), a
// Disconnect while paused, or a Disconnect while the reader waits in a hand-over. Every cycle must end
// closed, with the bytes that arrived complete and in order and none after OnDisconnect.
TEST_F(StressTest, ConnectDisconnectCyclesWithRemovalsAtRandomMoments)
{
    std::mt19937 random(20261210);
    const auto link = makeFastLink();
    link->setReaderStopWait(20ms);
    TCP2110* raw = link.get();
    int endings[4] = {};

    for (int cycle = 0; cycle < 200; ++cycle) {
        SCOPED_TRACE(cycle);
        const std::string serial = "S" + std::to_string(cycle);
        const std::string path = "/dev/hidraw" + std::to_string(100 + cycle);
        const int id = BridgeDouble::addDevice(serial, path);
        BridgeDouble::setStream(id, 1 + random() % 64);
        link->HandleDeviceChange(DBT_DEVICEARRIVAL, QString::fromStdString(path));
        link->setDeviceName(QString::fromStdString(serial));

        std::vector<char> received;
        int chunkCount = 0;
        int afterDisconnect = 0;
        link->OnReceiveData = [&](const char* data, std::uint32_t len) {
            if (!raw->Connected())
                ++afterDisconnect;
            ++chunkCount;
            received.insert(received.end(), data, data + len);
        };
        ASSERT_TRUE(link->Connect());
        const int wanted = static_cast<int>(random() % 4);
        ASSERT_TRUE(spinUntil([&] { return chunkCount >= wanted; }));

        bool removed = false;
        const int ending = static_cast<int>(random() % 4);
        ++endings[ending];
        switch (ending) {
        case 0:
            link->Disconnect();
            break;
        case 1: {
            const auto delay = std::chrono::microseconds(random() % 3000);
            std::thread unplug([&] {
                std::this_thread::sleep_for(delay);
                BridgeDouble::removeDevice(id);
            });
            spinFor(static_cast<int>(random() % 4));
            unplug.join();
            link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, QString::fromStdString(path));
            removed = true;
            break;
        }
        case 2:
            link->setReadPause(true);
            link->Disconnect();
            break;
        case 3:
            std::this_thread::sleep_for(3ms);
            link->Disconnect();
            break;
        }

        ASSERT_FALSE(link->Connected());
        ASSERT_EQ(BridgeDouble::openHandles(), 0);
        ASSERT_EQ(afterDisconnect, 0);
        for (std::size_t i = 0; i < received.size(); ++i)
            ASSERT_EQ(static_cast<std::uint8_t>(received[i]), static_cast<std::uint8_t>(i)) << "byte " << i;
        if (!removed) {
            BridgeDouble::removeDevice(id);
            link->HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, QString::fromStdString(path));
        }
    }
    spinFor(5);
    EXPECT_EQ(BridgeDouble::readsWithoutHandle(), 0u);
    EXPECT_TRUE(link->DeviceList().isEmpty());
    std::cout << "endings: plain " << endings[0] << ", pulled out " << endings[1] << ", paused " << endings[2]
              << ", during a hand-over " << endings[3] << "\n";
}

} // namespace
