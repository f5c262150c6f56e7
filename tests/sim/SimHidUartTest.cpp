#include <gtest/gtest.h>

#include <QLibrary>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using GetNumDevices = int (*)(std::uint32_t*, std::uint16_t, std::uint16_t);
using GetString = int (*)(std::uint32_t, std::uint16_t, std::uint16_t, char*, std::uint32_t);
using GetOpenedString = int (*)(void*, char*, std::uint32_t);
using GetHidGuid = int (*)(void*);
using Open = int (*)(void**, std::uint32_t, std::uint16_t, std::uint16_t);
using Close = int (*)(void*);
using IsOpened = int (*)(void*, int*);
using GetPartNumber = int (*)(void*, std::uint8_t*, std::uint8_t*);
using SetUartConfig = int (*)(void*, std::uint32_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t);
using GetUartConfig = int (*)(void*, std::uint32_t*, std::uint8_t*, std::uint8_t*, std::uint8_t*, std::uint8_t*);
using SetTimeouts = int (*)(void*, std::uint32_t, std::uint32_t);
using Read = int (*)(void*, std::uint8_t*, std::uint32_t, std::uint32_t*);
using Write = int (*)(void*, std::uint8_t*, std::uint32_t, std::uint32_t*);
using GetPinConfig = int (*)(void*, std::uint8_t*, int*, std::uint16_t*, std::uint16_t*, std::uint8_t*, std::uint8_t*);
using ReadLatch = int (*)(void*, std::uint16_t*);

constexpr int kSuccess = 0;
constexpr int kReadTimedOut = 0x12;

class SimLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library_ = new QLibrary(QStringLiteral(KORVEX_SIM_LIBRARY));
        library_->load();
    }
    static void TearDownTestSuite()
    {
        library_->unload();
        delete library_;
        library_ = nullptr;
    }

    template <typename F>
    static F Fn(const char* name)
    {
        return reinterpret_cast<F>(library_->resolve(name));
    }

    void SetUp() override { ASSERT_TRUE(library_->isLoaded()) << library_->errorString().toStdString(); }

    static std::string String(std::uint32_t index, std::uint16_t vid, std::uint16_t pid, std::uint32_t kind, int* status)
    {
        char buffer[260] = {};
        *status = Fn<GetString>("HidUart_GetString")(index, vid, pid, buffer, kind);
        return buffer;
    }

    static inline QLibrary* library_ = nullptr;
};

TEST_F(SimLibrary, ExportsAllFifteenEntryPoints)
{
    for (const char* name : {"HidUart_GetNumDevices", "HidUart_GetString", "HidUart_GetOpenedString", "HidUart_GetHidGuid",
                             "HidUart_Open", "HidUart_Close", "HidUart_IsOpened", "HidUart_GetPartNumber",
                             "HidUart_SetUartConfig", "HidUart_GetUartConfig", "HidUart_SetTimeouts", "HidUart_Read",
                             "HidUart_Write", "HidUart_GetPinConfig", "HidUart_ReadLatch"})
        EXPECT_NE(library_->resolve(name), nullptr) << name;
}

TEST_F(SimLibrary, EnumeratesOneBridgeForItsIdsOrAny)
{
    struct { std::uint16_t vid, pid; std::uint32_t count; } cases[] = {
        {0, 0, 1}, {0x10C4, 0xEA80, 1}, {0x10C4, 0, 1}, {0x1234, 0, 0}, {0, 0x0001, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t count = 99;
        EXPECT_EQ(Fn<GetNumDevices>("HidUart_GetNumDevices")(&count, c.vid, c.pid), kSuccess);
        EXPECT_EQ(count, c.count) << std::hex << c.vid << " " << c.pid;
    }

    struct { std::uint32_t kind; const char* text; } strings[] = {
        {1, "10C4"}, {2, "EA80"}, {3, "/dev/hidraw-sim0"}, {4, "SIM00001"},
    };
    for (const auto& s : strings) {
        int status = -1;
        EXPECT_EQ(String(0, 0, 0, s.kind, &status), s.text);
        EXPECT_EQ(status, kSuccess);
    }
    int status = kSuccess;
    String(1, 0, 0, 4, &status);
    EXPECT_NE(status, kSuccess);
    String(0, 0, 0, 9, &status);
    EXPECT_NE(status, kSuccess);

    std::uint8_t guid[16] = {};
    EXPECT_EQ(Fn<GetHidGuid>("HidUart_GetHidGuid")(guid), kSuccess);
    EXPECT_NE(std::string(reinterpret_cast<char*>(guid), 16), std::string(16, '\0'));
}

TEST_F(SimLibrary, OpenConfigureReadFramesAndClose)
{
    void* device = nullptr;
    ASSERT_EQ(Fn<Open>("HidUart_Open")(&device, 0, 0, 0), kSuccess);
    void* second = nullptr;
    EXPECT_NE(Fn<Open>("HidUart_Open")(&second, 0, 0, 0), kSuccess);

    int opened = 0;
    EXPECT_EQ(Fn<IsOpened>("HidUart_IsOpened")(device, &opened), kSuccess);
    EXPECT_EQ(opened, 1);
    std::uint8_t part = 0, version = 0;
    EXPECT_EQ(Fn<GetPartNumber>("HidUart_GetPartNumber")(device, &part, &version), kSuccess);

    EXPECT_EQ(Fn<SetUartConfig>("HidUart_SetUartConfig")(device, 9600, 3, 0, 0, 0), kSuccess);
    std::uint32_t baud = 0;
    std::uint8_t dataBits = 9, parity = 9, stopBits = 9, flow = 9;
    EXPECT_EQ(Fn<GetUartConfig>("HidUart_GetUartConfig")(device, &baud, &dataBits, &parity, &stopBits, &flow), kSuccess);
    EXPECT_EQ(baud, 9600u);
    EXPECT_EQ(dataBits, 3);
    EXPECT_EQ(parity, 0);
    EXPECT_EQ(stopBits, 0);
    EXPECT_EQ(flow, 0);
    EXPECT_NE(Fn<SetUartConfig>("HidUart_SetUartConfig")(device, 9600, 7, 0, 0, 0), kSuccess);

    char path[260] = {};
    EXPECT_EQ(Fn<GetOpenedString>("HidUart_GetOpenedString")(device, path, 3), kSuccess);
    EXPECT_STREQ(path, "/dev/hidraw-sim0");
    std::uint16_t latch = 0;
    EXPECT_EQ(Fn<ReadLatch>("HidUart_ReadLatch")(device, &latch), kSuccess);
    std::uint8_t pin = 0, rs485 = 0, clk = 0;
    int useSuspend = 0;
    std::uint16_t suspendValue = 0, suspendMode = 0;
    EXPECT_EQ(Fn<GetPinConfig>("HidUart_GetPinConfig")(device, &pin, &useSuspend, &suspendValue, &suspendMode, &rs485, &clk),
              kSuccess);
    std::uint8_t out[3] = {1, 2, 3};
    std::uint32_t written = 0;
    EXPECT_EQ(Fn<Write>("HidUart_Write")(device, out, 3, &written), kSuccess);
    EXPECT_EQ(written, 3u);

    // Reads with the time-out of a reader that waits a little: bytes arrive, partial reads say 0x12.
    EXPECT_EQ(Fn<SetTimeouts>("HidUart_SetTimeouts")(device, 100, 500), kSuccess);
    std::vector<std::uint8_t> received;
    const auto start = std::chrono::steady_clock::now();
    while (received.size() < 34 && std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
        std::uint8_t buffer[2048];
        std::uint32_t got = 0;
        const int status = Fn<Read>("HidUart_Read")(device, buffer, sizeof buffer, &got);
        ASSERT_EQ(status, kReadTimedOut);
        received.insert(received.end(), buffer, buffer + got);
    }
    // The stream may begin inside a frame; a whole frame follows its head.
    std::size_t head = 0;
    while (head + 1 < received.size() && !(received[head] == 0x00 && received[head + 1] == 0x0D))
        ++head;
    ASSERT_GE(received.size(), head + 17);
    EXPECT_EQ(received[head + 15], 0x0D);
    EXPECT_EQ(received[head + 16], 0x0A);

    // Asking for exactly what is waiting is a full read.
    std::uint8_t one = 0;
    std::uint32_t got = 0;
    int status = kReadTimedOut;
    for (int i = 0; i < 20 && status != kSuccess; ++i)
        status = Fn<Read>("HidUart_Read")(device, &one, 1, &got);
    EXPECT_EQ(status, kSuccess);
    EXPECT_EQ(got, 1u);

    EXPECT_EQ(Fn<Close>("HidUart_Close")(device), kSuccess);
    EXPECT_EQ(Fn<IsOpened>("HidUart_IsOpened")(device, &opened), kSuccess);
    EXPECT_EQ(opened, 0);
    EXPECT_NE(Fn<Read>("HidUart_Read")(device, &one, 1, &got), kSuccess);
    EXPECT_NE(Fn<Close>("HidUart_Close")(device), kSuccess);
}

TEST_F(SimLibrary, ReadWithZeroTimeoutReturnsAtOnce)
{
    void* device = nullptr;
    ASSERT_EQ(Fn<Open>("HidUart_Open")(&device, 0, 0x10C4, 0xEA80), kSuccess);
    ASSERT_EQ(Fn<SetTimeouts>("HidUart_SetTimeouts")(device, 0, 500), kSuccess);
    std::uint8_t buffer[2048];
    std::uint32_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Fn<Read>("HidUart_Read")(device, buffer, sizeof buffer, &got), kReadTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(Fn<Close>("HidUart_Close")(device), kSuccess);
}

}  // namespace
