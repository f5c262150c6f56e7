// Kept apart: the kernel's termios2 cannot share a unit with the C library's termios.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

namespace korvex::testing {

std::uint32_t LineBitRate(int fd)
{
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return 0;
    return settings.c_ospeed;
}

}  // namespace korvex::testing
