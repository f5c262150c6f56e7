#pragma once

#include <cstdint>

// The bridge library's C entry points, shared by our library over hidapi and the test double.
#if defined(_WIN32)
#define HIDUART_EXPORT __declspec(dllexport)
#else
#define HIDUART_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// Marks this library: its answers may also be the statuses of its own beyond the chip maker's
// (KORVEX_HID_UART_PERMISSION_DENIED, KORVEX_HID_UART_IN_USE). Returns 1.
HIDUART_EXPORT int KorvexHidUart_Statuses();
HIDUART_EXPORT int HidUart_GetNumDevices(std::uint32_t* numDevices, std::uint16_t vid, std::uint16_t pid);
HIDUART_EXPORT int HidUart_GetString(std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid, char* deviceString,
                                     std::uint32_t options);
HIDUART_EXPORT int HidUart_GetOpenedString(void* device, char* deviceString, std::uint32_t options);
HIDUART_EXPORT int HidUart_GetHidGuid(void* guid);
HIDUART_EXPORT int HidUart_Open(void** device, std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid);
HIDUART_EXPORT int HidUart_Close(void* device);
HIDUART_EXPORT int HidUart_IsOpened(void* device, int* opened);
HIDUART_EXPORT int HidUart_GetPartNumber(void* device, std::uint8_t* partNumber, std::uint8_t* version);
HIDUART_EXPORT int HidUart_SetUartConfig(void* device, std::uint32_t baudRate, std::uint8_t dataBits,
                                         std::uint8_t parity, std::uint8_t stopBits, std::uint8_t flowControl);
HIDUART_EXPORT int HidUart_GetUartConfig(void* device, std::uint32_t* baudRate, std::uint8_t* dataBits,
                                         std::uint8_t* parity, std::uint8_t* stopBits, std::uint8_t* flowControl);
HIDUART_EXPORT int HidUart_SetTimeouts(void* device, std::uint32_t readTimeout, std::uint32_t writeTimeout);
HIDUART_EXPORT int HidUart_Read(void* device, std::uint8_t* buffer, std::uint32_t numBytesToRead,
                                std::uint32_t* numBytesRead);
HIDUART_EXPORT int HidUart_Write(void* device, std::uint8_t* buffer, std::uint32_t numBytesToWrite,
                                 std::uint32_t* numBytesWritten);
HIDUART_EXPORT int HidUart_GetPinConfig(void* device, std::uint8_t* pinConfig, int* useSuspendValues,
                                        std::uint16_t* suspendValue, std::uint16_t* suspendMode,
                                        std::uint8_t* rs485Level, std::uint8_t* clkDiv);
HIDUART_EXPORT int HidUart_ReadLatch(void* device, std::uint16_t* latchValue);
}
