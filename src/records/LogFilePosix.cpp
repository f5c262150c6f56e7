#include "records/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace korvex::logfile {

int OpenForAppending(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
}

int StandardOutput()
{
    return STDOUT_FILENO;
}

qint64 RegularFileSize(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<qint64>(info.st_size) : -1;
}

bool CutBack(int fd, qint64 size)
{
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

void SyncAndClose(int fd)
{
    ::fsync(fd);
    ::close(fd);
}

}  // namespace korvex::logfile
