#include <algorithm>
#include <iterator>

#include "HidUartApi.h"
#include "HidUartLibrary.h"
#include "HidUartStatus.h"
#include "HidapiBackend.h"

using korvex::hidtouart::HidUartLibrary;
using korvex::hidtouart::PinConfig;
using korvex::hidtouart::UartConfig;

namespace {

// The process-wide library over hidapi, made on first use.
HidUartLibrary& library()
{
    static HidUartLibrary instance(std::make_unique<korvex::hidtouart::HidapiBackend>());
    return instance;
}

} // namespace

extern "C" {

int KorvexHidUart_Statuses()
{
    return 1;
}

int HidUart_GetNumDevices(std::uint32_t* numDevices, std::uint16_t vid, std::uint16_t pid)
{
    return library().getNumDevices(numDevices, vid, pid);
}

int HidUart_GetString(std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid, char* deviceString,
                      std::uint32_t options)
{
    return library().getString(deviceNum, vid, pid, deviceString, options);
}

int HidUart_GetOpenedString(void* device, char* deviceString, std::uint32_t options)
{
    return library().getOpenedString(device, deviceString, options);
}

int HidUart_GetHidGuid(void* guid)
{
    if (!guid)
        return korvex::hidtouart::HID_UART_INVALID_PARAMETER;
    HidUartLibrary::hidGuid(static_cast<std::uint8_t*>(guid));
    return korvex::hidtouart::HID_UART_SUCCESS;
}

int HidUart_Open(void** device, std::uint32_t deviceNum, std::uint16_t vid, std::uint16_t pid)
{
    return library().open(device, deviceNum, vid, pid);
}

int HidUart_Close(void* device)
{
    return library().close(device);
}

int HidUart_IsOpened(void* device, int* opened)
{
    return library().isOpened(device, opened);
}

int HidUart_GetPartNumber(void* device, std::uint8_t* partNumber, std::uint8_t* version)
{
    return library().getPartNumber(device, partNumber, version);
}

int HidUart_SetUartConfig(void* device, std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity,
                          std::uint8_t stopBits, std::uint8_t flowControl)
{
    return library().setUartConfig(device, UartConfig{baudRate, dataBits, parity, stopBits, flowControl});
}

int HidUart_GetUartConfig(void* device, std::uint32_t* baudRate, std::uint8_t* dataBits, std::uint8_t* parity,
                          std::uint8_t* stopBits, std::uint8_t* flowControl)
{
    if (!baudRate || !dataBits || !parity || !stopBits || !flowControl)
        return korvex::hidtouart::HID_UART_INVALID_PARAMETER;
    UartConfig config;
    const int status = library().getUartConfig(device, &config);
    if (status == korvex::hidtouart::HID_UART_SUCCESS) {
        *baudRate = config.baudRate;
        *dataBits = config.dataBits;
        *parity = config.parity;
        *stopBits = config.stopBits;
        *flowControl = config.flowControl;
    }
    return status;
}

int HidUart_SetTimeouts(void* device, std::uint32_t readTimeout, std::uint32_t writeTimeout)
{
    return library().setTimeouts(device, readTimeout, writeTimeout);
}

int HidUart_Read(void* device, std::uint8_t* buffer, std::uint32_t numBytesToRead, std::uint32_t* numBytesRead)
{
    return library().read(device, buffer, numBytesToRead, numBytesRead);
}

int HidUart_Write(void* device, std::uint8_t* buffer, std::uint32_t numBytesToWrite, std::uint32_t* numBytesWritten)
{
    return library().write(device, buffer, numBytesToWrite, numBytesWritten);
}

int HidUart_GetPinConfig(void* device, std::uint8_t* pinConfig, int* useSuspendValues, std::uint16_t* suspendValue,
                         std::uint16_t* suspendMode, std::uint8_t* rs485Level, std::uint8_t* clkDiv)
{
    if (!pinConfig || !useSuspendValues || !suspendValue || !suspendMode || !rs485Level || !clkDiv)
        return korvex::hidtouart::HID_UART_INVALID_PARAMETER;
    PinConfig config;
    const int status = library().getPinConfig(device, &config);
    if (status == korvex::hidtouart::HID_UART_SUCCESS) {
        std::copy(std::begin(config.pins), std::end(config.pins), pinConfig);
        *useSuspendValues = config.useSuspendValues ? 1 : 0;
        *suspendValue = config.suspendValue;
        *suspendMode = config.suspendMode;
        *rs485Level = config.rs485Level;
        *clkDiv = config.clkDiv;
    }
    return status;
}

int HidUart_ReadLatch(void* device, std::uint16_t* latchValue)
{
    return library().readLatch(device, latchValue);
}

} // extern "C"
