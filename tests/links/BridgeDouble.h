#pragma once

// Scripting the test double of the bridge library (libslabhidtouart.so or SLABHIDtoUART.dll beside the
// test executables).
// The double keeps its script for as long as it stays loaded; these helpers hold it loaded for the whole
// test run, so a script set before a TCP2110 is built is what that link finds. With no script the double
// presents no devices. Call BridgeDouble::reset() at the start of every test that scripts it.
//
//   using korvex::testing::BridgeDouble;
//   BridgeDouble::reset();
//   const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw3");  // vendor 10C4, product EA80
//   BridgeDouble::queueRead(meter, {0x00, 0x0D, ...});                 // the next read returns these bytes
//   BridgeDouble::removeDevice(meter);  // unplugged: not listed, reads fail, opened path still answers
//   link.HandleDeviceChange(korvex::DBT_DEVICEREMOVECOMPLETE, "/dev/hidraw3");

#include <QLibrary>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace korvex::testing {

// Status values the double answers with, as the bridge library's.
enum DoubleStatus : std::uint8_t {
    DoubleSuccess = 0x00,        // success
    DoubleDeviceNotFound = 0x01, // no device at that index
    DoubleReadError = 0x10,      // the device failed while reading
    DoubleReadTimedOut = 0x12,   // fewer bytes than asked
};

class BridgeDouble {
public:
    // The double's file: the bridge library's name in the directory of the test executables.
    static std::string libraryPath() { return KORVEX_TEST_BIN_DIR "/" KORVEX_BRIDGE_LIBRARY_FILE; }

    // Forgets every device, forced status, queued read and call count.
    static void reset() { entry<void (*)()>("TestDouble_Reset")(); }

    // Adds an attached device; returns its id for the calls below. Devices are enumerated in the order
    // they were added, unplugged ones left out.
    static int addDevice(const std::string& serial, const std::string& path, const std::string& vendorId = "10C4",
                         const std::string& productId = "EA80")
    {
        return entry<int (*)(const char*, const char*, const char*, const char*)>("TestDouble_AddDevice")(
            serial.c_str(), path.c_str(), vendorId.c_str(), productId.c_str());
    }
    // Unplugs the device: it is no longer enumerated and reads of an open handle fail with DoubleReadError,
    // while HidUart_GetOpenedString still answers until HidUart_Close.
    static void removeDevice(int id) { entry<void (*)(int)>("TestDouble_RemoveDevice")(id); }
    // HidUart_Open of this device answers status.
    static void setOpenStatus(int id, int status) { entry<void (*)(int, int)>("TestDouble_SetOpenStatus")(id, status); }
    // HidUart_GetString of this kind (1 vendor, 2 product, 3 path, 4 serial) answers status.
    static void setStringStatus(int id, std::uint32_t kind, int status)
    {
        entry<void (*)(int, std::uint32_t, int)>("TestDouble_SetStringStatus")(id, kind, status);
    }
    // HidUart_GetUartConfig reads back a bit rate one above the one set.
    static void setReadBackMismatch(int id, bool on)
    {
        entry<void (*)(int, int)>("TestDouble_SetReadBackMismatch")(id, on ? 1 : 0);
    }
    // Every call of the named entry point ("HidUart_Open", ...) answers status; pass -1 to undo.
    static void setStatus(const std::string& entryPoint, int status)
    {
        entry<void (*)(const char*, int)>("TestDouble_SetStatus")(entryPoint.c_str(), status);
    }
    // The next HidUart_Read of this device returns these bytes with this status. With nothing queued a
    // read returns the stream (below) or no bytes with DoubleReadTimedOut.
    static void queueRead(int id, const std::vector<std::uint8_t>& bytes, int status = DoubleReadTimedOut)
    {
        entry<void (*)(int, const std::uint8_t*, std::uint32_t, int)>("TestDouble_QueueRead")(
            id, bytes.data(), static_cast<std::uint32_t>(bytes.size()), status);
    }
    // Reads with nothing queued return chunkSize bytes of the running sequence 0, 1, ... 255, 0, ...
    static void setStream(int id, std::uint32_t chunkSize)
    {
        entry<void (*)(int, std::uint32_t)>("TestDouble_SetStream")(id, chunkSize);
    }
    static std::uint32_t pendingReads(int id) { return entry<std::uint32_t (*)(int)>("TestDouble_PendingReads")(id); }

    // How often the named entry point was called since the last reset.
    static std::uint64_t calls(const std::string& entryPoint)
    {
        return entry<std::uint64_t (*)(const char*)>("TestDouble_CallCount")(entryPoint.c_str());
    }
    static std::uint64_t totalCalls() { return entry<std::uint64_t (*)()>("TestDouble_TotalCalls")(); }
    static int openHandles() { return entry<int (*)()>("TestDouble_OpenHandles")(); }
    // Reads made with a handle that was closed or never opened.
    static std::uint64_t readsWithoutHandle() { return entry<std::uint64_t (*)()>("TestDouble_ReadsWithoutHandle")(); }

    struct UartConfig {
        std::uint32_t baudRate = 0;
        std::uint8_t dataBits = 0, parity = 0, stopBits = 0, flowControl = 0;
        bool set = false;
    };
    // What the last HidUart_SetUartConfig was given.
    static UartConfig lastUartConfig()
    {
        UartConfig c;
        c.set = entry<int (*)(std::uint32_t*, std::uint8_t*, std::uint8_t*, std::uint8_t*, std::uint8_t*)>(
                    "TestDouble_LastUartConfig")(&c.baudRate, &c.dataBits, &c.parity, &c.stopBits, &c.flowControl)
            != 0;
        return c;
    }
    // What the last HidUart_SetTimeouts was given: read, write.
    static std::pair<std::uint32_t, std::uint32_t> lastTimeouts()
    {
        std::uint32_t readMs = 0, writeMs = 0;
        entry<void (*)(std::uint32_t*, std::uint32_t*)>("TestDouble_LastTimeouts")(&readMs, &writeMs);
        return {readMs, writeMs};
    }

private:
    static QLibrary& library()
    {
        // Loaded once and never unloaded, so the script outlives every link that binds the same file.
        static QLibrary* loaded = [] {
            auto* l = new QLibrary(QString::fromStdString(libraryPath()));
            if (!l->load()) {
                std::fprintf(stderr, "test double not loadable: %s\n", qPrintable(l->errorString()));
                std::abort();
            }
            return l;
        }();
        return *loaded;
    }

    template <typename Fn>
    static Fn entry(const char* name)
    {
        const auto symbol = library().resolve(name);
        if (!symbol) {
            std::fprintf(stderr, "test double lacks %s\n", name);
            std::abort();
        }
        return reinterpret_cast<Fn>(symbol);
    }
};

} // namespace korvex::testing
