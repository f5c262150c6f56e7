#include "links/serial/PtyPair.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace korvex::testing {

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&master_, &terminal_, name, nullptr, nullptr) != 0) {
        master_ = terminal_ = -1;
        return;
    }
    path_ = QString::fromLocal8Bit(name);
    // A program the test starts must not hold the far end open.
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(terminal_, F_SETFD, FD_CLOEXEC);
    struct stat info {};
    if (fstat(terminal_, &info) == 0)
        device_ = info.st_rdev;
    // A new terminal reports eight data bits without parity: say so once, so that nothing remembered
    // about an earlier terminal of the same number shows through.
    termios settings{};
    if (tcgetattr(terminal_, &settings) == 0) {
        settings.c_cflag = (settings.c_cflag & ~(CSIZE | PARENB | PARODD | CMSPAR)) | CS8;
        tcsetattr(terminal_, TCSANOW, &settings);
    }
}

PtyPair::~PtyPair()
{
    hangUp();
    if (terminal_ >= 0)
        ::close(terminal_);
}

void PtyPair::write(const std::vector<std::uint8_t>& bytes) const
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

void PtyPair::write(const char* text) const
{
    const std::string bytes(text);
    write(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

void PtyPair::hangUp()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

namespace {

// Descriptors are told by the device they refer to: the terminal's path goes away when the far end hangs up.
int CountDescriptorsOf(const QString& fdDirectory, dev_t device)
{
    int count = 0;
    const QDir dir(fdDirectory);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        struct stat info {};
        if (::stat(QFile::encodeName(dir.filePath(entry)).constData(), &info) == 0 && S_ISCHR(info.st_mode)
            && info.st_rdev == device)
            ++count;
    }
    return count;
}

}  // namespace

int PtyPair::openCountInThisProcess() const
{
    return CountDescriptorsOf(QStringLiteral("/proc/self/fd"), device_);
}

bool PtyPair::heldBy(long pid) const
{
    return CountDescriptorsOf(QStringLiteral("/proc/%1/fd").arg(pid), device_) > 0;
}

}  // namespace korvex::testing
