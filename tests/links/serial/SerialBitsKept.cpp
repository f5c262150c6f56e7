// A pseudo terminal drops the character size and parity it is given: it always reports eight data bits
// without parity, where a serial port keeps what it was told (and the C library's tcsetattr then fails
// with EINVAL). These wrappers around the C library's tcsetattr and tcgetattr remember, for each pseudo
// terminal, those bits as last written, let the write succeed when they are all the kernel dropped, and
// show them on every read, so that the link's requests for them can be read back as from a serial port.
// Every other setting, the bit rate and stop bits included, is the kernel's own. The test executable
// exports these definitions, so they stand in front of the C library for the serial port library too.
#include <dlfcn.h>
#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <map>
#include <mutex>

namespace {

constexpr tcflag_t KeptBits = CSIZE | PARENB | PARODD | CMSPAR;

// Unix98 pseudo terminal slaves have the majors 136 to 143.
bool IsPseudoTerminal(int fd, dev_t& device)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    device = info.st_rdev;
    return major(device) >= 136 && major(device) <= 143;
}

std::mutex& KeptMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<dev_t, tcflag_t>& Kept()
{
    static std::map<dev_t, tcflag_t> kept;
    return kept;
}

template <typename Fn>
Fn Next(const char* name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

int RealGet(int fd, struct termios* settings)
{
    static const auto next = Next<int (*)(int, struct termios*)>("tcgetattr");
    return next(fd, settings);
}

}  // namespace

extern "C" int tcsetattr(int fd, int action, const struct termios* settings) noexcept
{
    static const auto next = Next<int (*)(int, int, const struct termios*)>("tcsetattr");
    const int saved = errno;
    int result = next(fd, action, settings);
    dev_t device = 0;
    if (!settings || !IsPseudoTerminal(fd, device))
        return result;
    if (result != 0 && errno == EINVAL) {
        struct termios now {};
        if (RealGet(fd, &now) == 0 && (now.c_cflag & ~KeptBits) == (settings->c_cflag & ~KeptBits)) {
            result = 0;
            errno = saved;
        }
    }
    if (result == 0) {
        std::lock_guard lock(KeptMutex());
        Kept()[device] = settings->c_cflag & KeptBits;
    }
    return result;
}

extern "C" int tcgetattr(int fd, struct termios* settings) noexcept
{
    const int result = RealGet(fd, settings);
    dev_t device = 0;
    if (result == 0 && settings && IsPseudoTerminal(fd, device)) {
        std::lock_guard lock(KeptMutex());
        const auto kept = Kept().find(device);
        if (kept != Kept().end())
            settings->c_cflag = (settings->c_cflag & ~KeptBits) | kept->second;
    }
    return result;
}
