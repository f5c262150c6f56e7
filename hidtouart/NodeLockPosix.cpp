#include "NodeLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace korvex::hidtouart {

NodeLock::NodeLock(const std::string& path)
{
    // Read access is enough for the lock and is what every user of the node has.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        busy_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    claim_ = fd;
}

void NodeLock::release()
{
    // Closing the last descriptor of the open file drops its flock.
    if (claim_ >= 0)
        ::close(static_cast<int>(claim_));
    claim_ = -1;
}

} // namespace korvex::hidtouart
