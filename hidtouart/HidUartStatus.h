#pragma once

#include <cstdint>

namespace korvex::hidtouart {

// Results of the bridge library's entry points; the link treats 0 as success and 0x12 as a partial read.
enum HidUartStatus : std::uint8_t {
    HID_UART_SUCCESS = 0x00,                // the call did what was asked
    HID_UART_DEVICE_NOT_FOUND = 0x01,       // no device at that index (or it has gone)
    HID_UART_INVALID_HANDLE = 0x02,         // not answered by this library
    HID_UART_INVALID_DEVICE_OBJECT = 0x03,  // the handle is not an open device of this library
    HID_UART_INVALID_PARAMETER = 0x04,      // a required pointer is null, or a value the chip does not take
    HID_UART_INVALID_REQUEST_LENGTH = 0x05, // a read or write of zero bytes or beyond the limits below
    HID_UART_READ_ERROR = 0x10,             // the device failed while reading
    HID_UART_WRITE_ERROR = 0x11,            // the device failed while writing
    HID_UART_READ_TIMED_OUT = 0x12,         // fewer bytes than asked arrived within the read time-out
    HID_UART_WRITE_TIMED_OUT = 0x13,        // not all bytes went out within the write time-out
    HID_UART_DEVICE_IO_FAILED = 0x14,       // a feature report could not be exchanged
    HID_UART_DEVICE_ACCESS_ERROR = 0x15,    // the device node could not be opened, or another program has it
    HID_UART_DEVICE_NOT_SUPPORTED = 0x16,   // the device answered with something that is not a CP2110
    HID_UART_UNKNOWN_ERROR = 0xFF,          // anything else
};

// Statuses of this library only, outside the range of the chip maker's library, which answers a refused
// or busy device with HID_UART_DEVICE_ACCESS_ERROR. A caller trusts them only from a library that exports
// KorvexHidUart_Statuses.
inline constexpr int KORVEX_HID_UART_PERMISSION_DENIED = 0x100; // this user may not open the device node
inline constexpr int KORVEX_HID_UART_IN_USE = 0x101;            // another program has the device open

// The most one HidUart_Read and one HidUart_Write may ask for.
inline constexpr std::uint32_t MaxReadLength = 32768;
inline constexpr std::uint32_t MaxWriteLength = 4096;

// String kinds of HidUart_GetString and HidUart_GetOpenedString.
enum HidUartStringKind : std::uint8_t {
    HID_UART_GET_VID_STR = 1,    // vendor id, 4 upper-case hexadecimal digits
    HID_UART_GET_PID_STR = 2,    // product id, 4 upper-case hexadecimal digits
    HID_UART_GET_PATH_STR = 3,   // device node, e.g. /dev/hidraw3
    HID_UART_GET_SERIAL_STR = 4, // USB serial number in 8-bit text
    HID_UART_GET_MANUFACTURER_STR = 5, // USB manufacturer string in 8-bit text
    HID_UART_GET_PRODUCT_STR = 6,      // USB product string in 8-bit text
};

// The ids of the CP2110, the only device the library opens.
inline constexpr std::uint16_t Cp2110VendorId = 0x10C4;
inline constexpr std::uint16_t Cp2110ProductId = 0xEA80;

// Every text buffer handed to the library holds this many bytes, NUL included.
inline constexpr std::uint32_t HidUartStringLength = 260;

} // namespace korvex::hidtouart
