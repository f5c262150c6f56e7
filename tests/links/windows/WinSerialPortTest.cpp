#include <gtest/gtest.h>

#include "links/CommSettings.h"
#include "links/WinSerialPort.h"

namespace korvex {
namespace {

TEST(WinSerialPort, APortThatIsNotThereIsReportedWithTheSystemsReason)
{
    WinSerialPort port;
    std::vector<WinSerialPort::SerialPortError> errors;
    QObject::connect(&port, &WinSerialPort::errorOccurred, [&](WinSerialPort::SerialPortError e) { errors.push_back(e); });
    port.setPortName(QStringLiteral("COM219"));
    EXPECT_FALSE(port.open(QIODevice::ReadWrite));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.error(), WinSerialPort::DeviceNotFoundError);
    EXPECT_FALSE(port.errorString().isEmpty());
    EXPECT_EQ(errors, std::vector<WinSerialPort::SerialPortError>{WinSerialPort::DeviceNotFoundError});
}

TEST(WinSerialPort, PortNamesAreWindowsOwn)
{
    // "COMn" is the Windows port of that name; any other name is a device name as it is.
    EXPECT_EQ(comm::portDeviceName(QStringLiteral("COM1")), QStringLiteral("COM1"));
    EXPECT_EQ(comm::portDeviceName(QStringLiteral("com12")), QStringLiteral("com12"));
    EXPECT_EQ(comm::portDeviceName(QStringLiteral("\\\\.\\COM3")), QStringLiteral("\\\\.\\COM3"));
}

}  // namespace
}  // namespace korvex
