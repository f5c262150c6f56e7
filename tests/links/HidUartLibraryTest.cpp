#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "SimulatedCp2110.h"
#include "hidtouart/HidUartLibrary.h"
#include "hidtouart/HidUartStatus.h"

using namespace korvex::hidtouart;
using korvex::testing::SimulatedCp2110;

namespace {

class HidUartLibraryTest : public ::testing::Test {
protected:
    HidUartLibraryTest()
        : sim(new SimulatedCp2110)
        , library(std::unique_ptr<HidBackend>(sim))
    {
    }

    std::string text(std::uint32_t index, std::uint16_t vid, std::uint16_t pid, std::uint32_t kind, int* status = nullptr)
    {
        char buffer[HidUartStringLength];
        std::memset(buffer, 'x', sizeof buffer);
        const int s = library.getString(index, vid, pid, buffer, kind);
        if (status)
            *status = s;
        return s == HID_UART_SUCCESS ? std::string(buffer) : std::string("<fail>");
    }

    void* openFirst(std::uint16_t vid = 0x10C4, std::uint16_t pid = 0xEA80)
    {
        void* handle = nullptr;
        EXPECT_EQ(library.open(&handle, 0, vid, pid), HID_UART_SUCCESS);
        return handle;
    }

    static std::vector<std::uint8_t> counting(std::size_t n)
    {
        std::vector<std::uint8_t> bytes(n);
        for (std::size_t i = 0; i < n; ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        return bytes;
    }

    SimulatedCp2110* sim;
    HidUartLibrary library;
};

TEST_F(HidUartLibraryTest, EnumeratesByIdsAndFormatsStrings)
{
    auto bridge = sim->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "0001ABcd");
    bridge->info.manufacturer = "Silicon Laboratories";
    bridge->info.product = "CP2110 HID USB-to-UART Bridge";
    sim->addUnit("/dev/hidraw0", 0x046D, 0xC31C, "KB");
    sim->addUnit("/dev/hidraw5", 0x10C4, 0xEA80, std::string(300, 'S') + "\xE9");

    std::uint32_t count = 99;
    ASSERT_EQ(library.getNumDevices(&count, 0, 0), HID_UART_SUCCESS);
    EXPECT_EQ(count, 3u);
    library.getNumDevices(&count, 0x10C4, 0xEA80);
    EXPECT_EQ(count, 2u);
    library.getNumDevices(&count, 0x046D, 0);
    EXPECT_EQ(count, 1u);

    EXPECT_EQ(text(0, 0x10C4, 0xEA80, 1), "10C4");
    EXPECT_EQ(text(0, 0x10C4, 0xEA80, 2), "EA80");
    EXPECT_EQ(text(0, 0x10C4, 0xEA80, 3), "/dev/hidraw2");
    EXPECT_EQ(text(0, 0x10C4, 0xEA80, 4), "0001ABcd");
    EXPECT_EQ(text(0, 0x10C4, 0xEA80, 5), "Silicon Laboratories");
    EXPECT_EQ(text(0, 0x10C4, 0xEA80, 6), "CP2110 HID USB-to-UART Bridge");
    EXPECT_EQ(text(1, 0, 0, 2), "C31C");
    // A text longer than the buffer is cut to 259 bytes and terminated.
    EXPECT_EQ(text(1, 0x10C4, 0xEA80, 4), std::string(HidUartStringLength - 1, 'S'));

    int status = 0;
    text(2, 0x10C4, 0xEA80, 4, &status);
    EXPECT_EQ(status, HID_UART_DEVICE_NOT_FOUND);
    text(0, 0, 0, 9, &status);
    EXPECT_EQ(status, HID_UART_INVALID_PARAMETER);

    std::uint8_t guid[16];
    HidUartLibrary::hidGuid(guid);
    const std::uint8_t expected[16] = {0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11,
                                       0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};
    EXPECT_EQ(0, std::memcmp(guid, expected, 16));
}

TEST_F(HidUartLibraryTest, OpenEnablesTheUartAndPurgesCloseDisablesIt)
{
    auto unit = sim->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "A1");
    SimulatedCp2110::queueAsReports(*unit, {1, 2, 3}, {3}); // stale bytes from before the open
    void* handle = openFirst();
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(unit->featuresSent.size(), 2u);
    EXPECT_EQ(unit->featuresSent[0], (SimulatedCp2110::Report{0x41, 0x01}));
    EXPECT_EQ(unit->featuresSent[1], (SimulatedCp2110::Report{0x43, 0x03}));
    EXPECT_TRUE(unit->uartEnabled);

    std::uint8_t buffer[16];
    std::uint32_t got = 9;
    EXPECT_EQ(library.read(handle, buffer, 16, &got), HID_UART_READ_TIMED_OUT);
    EXPECT_EQ(got, 0u) << "the purge drops what was queued before the open";

    int opened = 0;
    library.isOpened(handle, &opened);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(library.close(handle), HID_UART_SUCCESS);
    EXPECT_EQ(unit->featuresSent.back(), (SimulatedCp2110::Report{0x41, 0x00}));
    EXPECT_FALSE(unit->uartEnabled);
    EXPECT_EQ(library.close(handle), HID_UART_INVALID_DEVICE_OBJECT);
    library.isOpened(handle, &opened);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(library.read(handle, buffer, 16, &got), HID_UART_INVALID_DEVICE_OBJECT);

    void* none = nullptr;
    EXPECT_EQ(library.open(&none, 1, 0x10C4, 0xEA80), HID_UART_DEVICE_NOT_FOUND);
}

TEST_F(HidUartLibraryTest, OpenRefusesADeviceThatIsNotACp2110BeforeAnyReport)
{
    auto keyboard = sim->addUnit("/dev/hidraw0", 0x046D, 0xC31C, "");
    auto bridge = sim->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "");
    std::uint32_t count = 0;
    ASSERT_EQ(library.getNumDevices(&count, 0, 0), HID_UART_SUCCESS);
    ASSERT_EQ(count, 2u);

    void* handle = &count;
    EXPECT_EQ(library.open(&handle, 0, 0, 0), HID_UART_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(keyboard->featuresSent.empty());
    EXPECT_FALSE(keyboard->uartEnabled);

    ASSERT_EQ(library.open(&handle, 1, 0, 0), HID_UART_SUCCESS);
    EXPECT_TRUE(bridge->uartEnabled);
    library.close(handle);
}

TEST_F(HidUartLibraryTest, DeviceNumbersKeepReferringToTheListOfTheLastCount)
{
    using Unit = SimulatedCp2110::Unit;
    struct Case {
        const char* what;
        std::function<void(SimulatedCp2110&, Unit& first)> change;
        std::uint32_t countAfter;
    };
    const Case cases[] = {
        {"a bridge plugged in ahead of the others",
         [](SimulatedCp2110& s, Unit&) { s.addUnitFirst("/dev/hidraw9", 0x10C4, 0xEA80, "NEW"); }, 3},
        {"the bridge ahead pulled out",
         [](SimulatedCp2110&, Unit& first) {
             std::lock_guard lock(SimulatedCp2110::mutex());
             first.vanished = true;
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* simulated = new SimulatedCp2110;
        HidUartLibrary local{std::unique_ptr<HidBackend>(simulated)};
        auto first = simulated->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "A1");
        auto second = simulated->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "B2");
        std::uint32_t count = 0;
        ASSERT_EQ(local.getNumDevices(&count, 0x10C4, 0xEA80), HID_UART_SUCCESS);
        ASSERT_EQ(count, 2u);
        const int enumerations = simulated->enumerations();

        c.change(*simulated, *first);
        char serial[HidUartStringLength];
        ASSERT_EQ(local.getString(1, 0x10C4, 0xEA80, serial, HID_UART_GET_SERIAL_STR), HID_UART_SUCCESS);
        EXPECT_STREQ(serial, "B2");
        void* handle = nullptr;
        ASSERT_EQ(local.open(&handle, 1, 0x10C4, 0xEA80), HID_UART_SUCCESS);
        char path[HidUartStringLength];
        ASSERT_EQ(local.getOpenedString(handle, path, HID_UART_GET_PATH_STR), HID_UART_SUCCESS);
        EXPECT_STREQ(path, "/dev/hidraw2");
        EXPECT_TRUE(second->uartEnabled);
        EXPECT_EQ(simulated->enumerations(), enumerations) << "strings and open answer from the list";

        local.getNumDevices(&count, 0x10C4, 0xEA80);
        EXPECT_EQ(count, c.countAfter) << "the next count sees the change";
        local.close(handle);
    }
}

TEST_F(HidUartLibraryTest, ASecondProgramCannotOpenTheNodeInUseNorSendItReports)
{
    // Two libraries stand for two programs; their units share one node, here a file that can be locked.
    std::string node = (std::filesystem::temp_directory_path() / "korvex-hidraw-XXXXXX").string();
    const int fd = ::mkstemp(node.data());
    ASSERT_GE(fd, 0);
    ::close(fd);
    auto mine = sim->addUnit(node, 0x10C4, 0xEA80, "A1");
    auto* otherSim = new SimulatedCp2110;
    HidUartLibrary other{std::unique_ptr<HidBackend>(otherSim)};
    auto theirs = otherSim->addUnit(node, 0x10C4, 0xEA80, "A1");

    void* mineHandle = openFirst();
    ASSERT_NE(mineHandle, nullptr);
    void* theirHandle = &node;
    EXPECT_EQ(other.open(&theirHandle, 0, 0x10C4, 0xEA80), KORVEX_HID_UART_IN_USE);
    EXPECT_EQ(theirHandle, nullptr);
    EXPECT_TRUE(theirs->featuresSent.empty()) << "no purge or set-up from the second program";

    // Once the first program lets go, the node is free again.
    ASSERT_EQ(library.close(mineHandle), HID_UART_SUCCESS);
    ASSERT_EQ(other.open(&theirHandle, 0, 0x10C4, 0xEA80), HID_UART_SUCCESS);
    void* again = nullptr;
    EXPECT_EQ(library.open(&again, 0, 0x10C4, 0xEA80), KORVEX_HID_UART_IN_USE);
    other.close(theirHandle);
    std::filesystem::remove(node);
}

TEST_F(HidUartLibraryTest, ARefusedOpenTellsAMissingPermissionFromOtherFailures)
{
    struct Case {
        int error;
        int status;
    };
    const Case cases[] = {
        {EACCES, KORVEX_HID_UART_PERMISSION_DENIED},
        {EPERM, KORVEX_HID_UART_PERMISSION_DENIED},
        {EBUSY, HID_UART_DEVICE_ACCESS_ERROR},
        {ENOENT, HID_UART_DEVICE_ACCESS_ERROR},
    };
    auto unit = sim->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "A1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        unit->openError = c.error;
        void* handle = reinterpret_cast<void*>(1);
        EXPECT_EQ(library.open(&handle, 0, 0x10C4, 0xEA80), c.status);
        EXPECT_EQ(handle, nullptr);
        EXPECT_TRUE(unit->featuresSent.empty()) << "a refused node gets no report";
    }
}

// Bad calls answer with the statuses the bridge library's API defines for them.
TEST_F(HidUartLibraryTest, BadCallsAnswerTheSpecifiedStatuses)
{
    auto unit = sim->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "A1");
    void* handle = openFirst();
    void* unopened = &unit;
    std::vector<std::uint8_t> buffer(MaxReadLength + 1);
    std::uint32_t done = 0, count = 0;
    const struct {
        const char* call;
        int status;
        int expected;
    } cases[] = {
        {"count into null", library.getNumDevices(nullptr, 0, 0), HID_UART_INVALID_PARAMETER},
        {"text into null", library.getString(0, 0, 0, nullptr, 3), HID_UART_INVALID_PARAMETER},
        {"open into null", library.open(nullptr, 0, 0, 0), HID_UART_INVALID_PARAMETER},
        {"read into null", library.read(handle, nullptr, 4, &done), HID_UART_INVALID_PARAMETER},
        {"read an unopened handle", library.read(unopened, buffer.data(), 4, &done), HID_UART_INVALID_DEVICE_OBJECT},
        {"close an unopened handle", library.close(unopened), HID_UART_INVALID_DEVICE_OBJECT},
        {"read past 32768", library.read(handle, buffer.data(), MaxReadLength + 1, &done), HID_UART_INVALID_REQUEST_LENGTH},
        {"write past 4096", library.write(handle, buffer.data(), MaxWriteLength + 1, &done), HID_UART_INVALID_REQUEST_LENGTH},
        {"count", library.getNumDevices(&count, 0, 0), HID_UART_SUCCESS},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, c.expected) << c.call;
    EXPECT_NE(library.write(handle, buffer.data(), MaxWriteLength, &done), HID_UART_INVALID_REQUEST_LENGTH);
    library.close(handle);
}

TEST_F(HidUartLibraryTest, AnotherPartBehindTheIdsIsNotSupportedAndGetsNoSetUp)
{
    auto unit = sim->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "A1");
    unit->partNumber = 0x0B;
    void* handle = nullptr;
    EXPECT_EQ(library.open(&handle, 0, 0x10C4, 0xEA80), HID_UART_DEVICE_NOT_SUPPORTED);
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(unit->featuresSent.empty());
}

TEST_F(HidUartLibraryTest, UartConfigIsWrittenAndReadBack)
{
    auto unit = sim->addUnit("/dev/hidraw2", 0x10C4, 0xEA80, "A1");
    void* handle = openFirst();
    const std::size_t sentBefore = unit->featuresSent.size();
    ASSERT_EQ(library.setUartConfig(handle, UartConfig{115200, 2, 2, 1, 0}), HID_UART_SUCCESS);
    // The new settings, then a purge of what came in at the old ones.
    ASSERT_EQ(unit->featuresSent.size(), sentBefore + 2);
    EXPECT_EQ(unit->featuresSent[sentBefore], (SimulatedCp2110::Report{0x50, 0x00, 0x01, 0xC2, 0x00, 0x02, 0x00, 0x02, 0x01}));
    EXPECT_EQ(unit->featuresSent.back(), (SimulatedCp2110::Report{0x43, 0x02}));
    UartConfig back;
    ASSERT_EQ(library.getUartConfig(handle, &back), HID_UART_SUCCESS);
    EXPECT_EQ(back, (UartConfig{115200, 2, 2, 1, 0}));

    EXPECT_EQ(library.setUartConfig(handle, UartConfig{110, 3, 0, 0, 0}), HID_UART_INVALID_PARAMETER);
    EXPECT_EQ(unit->featuresSent.size(), sentBefore + 2) << "a refused config reaches no report";

    std::uint8_t part = 0, version = 0;
    ASSERT_EQ(library.getPartNumber(handle, &part, &version), HID_UART_SUCCESS);
    EXPECT_EQ(part, 0x0A);
    EXPECT_EQ(version, 0x01);
    std::uint16_t latch = 0;
    ASSERT_EQ(library.readLatch(handle, &latch), HID_UART_SUCCESS);
    EXPECT_EQ(latch, 0xA50F);
    PinConfig pins;
    ASSERT_EQ(library.getPinConfig(handle, &pins), HID_UART_SUCCESS);
    EXPECT_EQ(pins.pins[12], 12);
    EXPECT_TRUE(pins.useSuspendValues);
    EXPECT_EQ(pins.suspendValue, 0x1234);
    EXPECT_EQ(pins.suspendMode, 0x1678);
    EXPECT_EQ(pins.rs485Level, 1);
    EXPECT_EQ(pins.clkDiv, 2);
}

TEST_F(HidUartLibraryTest, ReadsGatherReportsAndKeepTheSurplusInOrder)
{
    struct Case {
        std::vector<std::size_t> reportSizes;
        std::vector<std::uint32_t> wants;
        std::vector<std::uint32_t> gots;
        std::vector<int> statuses;
    };
    const auto Ok = HID_UART_SUCCESS;
    const auto Short = HID_UART_READ_TIMED_OUT;
    const Case cases[] = {
        {{5, 17, 63}, {7, 30, 1, 100}, {7, 30, 1, 62}, {Ok, Ok, Ok, Short}},
        {{1}, {50, 50, 50}, {50, 50, 0}, {Ok, Ok, Short}},
        {{63}, {2048, 10}, {100, 0}, {Short, Short}},
        {{2, 40, 3}, {3, 3, 3, 3, 100}, {3, 3, 3, 3, 88}, {Ok, Ok, Ok, Ok, Short}},
    };
    for (const Case& c : cases) {
        auto* simulated = new SimulatedCp2110;
        HidUartLibrary local{std::unique_ptr<HidBackend>(simulated)};
        auto unit = simulated->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "A1");
        void* handle = nullptr;
        ASSERT_EQ(local.open(&handle, 0, 0, 0), HID_UART_SUCCESS);
        const auto source = counting(100);
        SimulatedCp2110::queueAsReports(*unit, source, c.reportSizes);

        std::vector<std::uint8_t> joined;
        for (std::size_t i = 0; i < c.wants.size(); ++i) {
            std::vector<std::uint8_t> buffer(c.wants[i]);
            std::uint32_t got = 0;
            EXPECT_EQ(local.read(handle, buffer.data(), c.wants[i], &got), c.statuses[i]) << "read " << i;
            EXPECT_EQ(got, c.gots[i]) << "read " << i;
            joined.insert(joined.end(), buffer.begin(), buffer.begin() + got);
        }
        EXPECT_EQ(joined, source);
    }
}

TEST_F(HidUartLibraryTest, NoByteIsLostOrReorderedOverRandomReportsAndReads)
{
    auto unit = sim->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "A1");
    void* handle = openFirst();
    std::mt19937 random(2024);
    const auto source = counting(20000);
    std::vector<std::size_t> sizes(400);
    for (auto& s : sizes)
        s = 1 + random() % 63;
    SimulatedCp2110::queueAsReports(*unit, source, sizes);

    std::vector<std::uint8_t> joined;
    std::vector<std::uint8_t> buffer(2048);
    while (joined.size() < source.size()) {
        const std::uint32_t want = 1 + random() % 2048;
        std::uint32_t got = 0;
        const int status = library.read(handle, buffer.data(), want, &got);
        ASSERT_TRUE(status == HID_UART_SUCCESS || status == HID_UART_READ_TIMED_OUT);
        ASSERT_EQ(status == HID_UART_SUCCESS, got == want);
        ASSERT_GT(got, 0u);
        joined.insert(joined.end(), buffer.begin(), buffer.begin() + got);
    }
    EXPECT_EQ(joined, source);
}

TEST_F(HidUartLibraryTest, ReadTimeoutZeroTakesOnlyWhatIsQueued)
{
    auto unit = sim->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "A1");
    void* handle = openFirst();
    SimulatedCp2110::queueAsReports(*unit, {1, 2, 3}, {3});
    unit->arrivingLater.push_back({2, 4, 5});

    std::uint8_t buffer[8];
    std::uint32_t got = 0;
    ASSERT_EQ(library.setTimeouts(handle, 0, 500), HID_UART_SUCCESS);
    EXPECT_EQ(library.read(handle, buffer, 8, &got), HID_UART_READ_TIMED_OUT);
    EXPECT_EQ(got, 3u);
    for (int t : unit->readTimeouts)
        EXPECT_EQ(t, 0);

    ASSERT_EQ(library.setTimeouts(handle, 50, 500), HID_UART_SUCCESS);
    EXPECT_EQ(library.read(handle, buffer, 2, &got), HID_UART_SUCCESS);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[1], 5);
    EXPECT_GT(unit->readTimeouts.back(), 0);
}

TEST_F(HidUartLibraryTest, DeviceVanishingMidReadKeepsGatheredBytesAndItsOpenedPath)
{
    auto unit = sim->addUnit("/dev/hidraw7", 0x10C4, 0xEA80, "Z9");
    void* handle = openFirst();
    SimulatedCp2110::queueAsReports(*unit, counting(10), {4});
    unit->vanishWhenDrained = true;

    std::uint8_t buffer[64];
    std::uint32_t got = 0;
    EXPECT_EQ(library.read(handle, buffer, 64, &got), HID_UART_READ_TIMED_OUT);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + got), counting(10));
    EXPECT_EQ(library.read(handle, buffer, 64, &got), HID_UART_READ_ERROR);
    EXPECT_EQ(got, 0u);

    std::uint32_t count = 9;
    library.getNumDevices(&count, 0, 0);
    EXPECT_EQ(count, 0u);
    char path[HidUartStringLength];
    ASSERT_EQ(library.getOpenedString(handle, path, 3), HID_UART_SUCCESS);
    EXPECT_STREQ(path, "/dev/hidraw7");
    ASSERT_EQ(library.getOpenedString(handle, path, 4), HID_UART_SUCCESS);
    EXPECT_STREQ(path, "Z9");

    const std::size_t sent = unit->featuresSent.size();
    EXPECT_EQ(library.close(handle), HID_UART_SUCCESS);
    EXPECT_EQ(unit->featuresSent.size(), sent) << "no UART disable for a device that has gone";
    EXPECT_EQ(library.getOpenedString(handle, path, 3), HID_UART_INVALID_DEVICE_OBJECT);
}

TEST_F(HidUartLibraryTest, WriteSplitsIntoOutputReports)
{
    auto unit = sim->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "A1");
    void* handle = openFirst();
    auto bytes = counting(100);
    std::uint32_t written = 0;
    ASSERT_EQ(library.write(handle, bytes.data(), 100, &written), HID_UART_SUCCESS);
    EXPECT_EQ(written, 100u);
    ASSERT_EQ(unit->outputReports.size(), 2u);
    EXPECT_EQ(unit->outputReports[0].size(), 64u);
    EXPECT_EQ(unit->outputReports[1][0], 37);
}

TEST_F(HidUartLibraryTest, PathQueriesWhileAnotherThreadReadsAndCloses)
{
    auto unit = sim->addUnit("/dev/hidraw1", 0x10C4, 0xEA80, "A1");
    void* handle = openFirst();
    SimulatedCp2110::queueAsReports(*unit, counting(5000), {9});
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::uint8_t buffer[2048];
        std::uint32_t got = 0;
        while (!done)
            library.read(handle, buffer, sizeof buffer, &got);
    });
    char path[HidUartStringLength];
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(library.getOpenedString(handle, path, 3), HID_UART_SUCCESS);
    EXPECT_EQ(library.close(handle), HID_UART_SUCCESS);
    done = true;
    reader.join();
}

} // namespace
