#include "links/SerialPort.h"

#include <poll.h>

namespace korvex {

bool LineHungUp(SerialPort& port)
{
    pollfd line{static_cast<int>(port.handle()), POLLIN, 0};
    return ::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace korvex
