#include "records/CsvLog.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

TCsvLog::~TCsvLog()
{
    Close();
}

bool TCsvLog::Open(const QString& path, std::string_view header)
{
    Close();
    path_ = path == QLatin1String("-") ? QStringLiteral("standard output") : path;
    if (path == QLatin1String("-")) {
        fd_ = STDOUT_FILENO;
        ownsFd_ = false;
    } else {
        fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        ownsFd_ = true;
        if (fd_ < 0) {
            error_ = QStringLiteral("cannot open %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    // Appending to a log that already has lines adds no second header in the middle of it.
    struct stat info {};
    const bool hasContent = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    return hasContent || WriteLine(header);
}

bool TCsvLog::WriteLine(std::string_view line)
{
    if (fd_ < 0)
        return false;
    return WriteAll(line);
}

bool TCsvLog::WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            brokenPipe_ = errno == EPIPE;
            error_ = QStringLiteral("cannot write to %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void TCsvLog::Close()
{
    if (fd_ < 0)
        return;
    if (ownsFd_) {
        ::fsync(fd_);
        ::close(fd_);
    }
    fd_ = -1;
}

}  // namespace korvex
