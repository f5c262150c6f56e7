#include "links/SerialPort.h"

namespace korvex {

bool LineHungUp(SerialPort&)
{
    return true;
}

}  // namespace korvex
