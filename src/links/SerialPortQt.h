#pragma once

// The serial port class of a build with Qt SerialPort (the build makes this links/SerialPort.h).
#include <QSerialPort>

namespace korvex {
using SerialPort = QSerialPort;

// Whether the open port's far end hung up or its adapter went (the system says so on the line itself).
bool LineHungUp(SerialPort& port);
}
