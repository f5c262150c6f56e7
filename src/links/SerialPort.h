#pragma once

// The serial port class of this build: Qt SerialPort's where the build has it, else the Win32 port of
// our own with the same interface.
#ifdef KORVEX_WIN32_SERIAL_PORT
#include "links/WinSerialPort.h"
namespace korvex {
using SerialPort = WinSerialPort;
}
#else
#include <QSerialPort>
namespace korvex {
using SerialPort = QSerialPort;
}
#endif
