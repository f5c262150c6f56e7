#pragma once

// The serial port class of the Windows build, which has no Qt SerialPort: the Win32 port of our own with
// the same interface (the build makes this links/SerialPort.h).
#include "links/WinSerialPort.h"

namespace korvex {
using SerialPort = WinSerialPort;

// Whether the open port's far end hung up or its adapter went: a failing Win32 port has no other state to
// ask, so every failure counts as gone.
bool LineHungUp(SerialPort& port);
}
