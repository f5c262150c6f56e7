#include "records/LogFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>

namespace korvex::logfile {

int OpenForAppending(const QString& path)
{
    // Binary: the lines carry their own CR LF.
    return ::_wopen(reinterpret_cast<const wchar_t*>(path.utf16()),
                    _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int StandardOutput()
{
    const int fd = ::_fileno(stdout);
    ::_setmode(fd, _O_BINARY);
    return fd;
}

qint64 RegularFileSize(int fd)
{
    struct _stati64 info {};
    return ::_fstati64(fd, &info) == 0 && (info.st_mode & _S_IFREG) ? static_cast<qint64>(info.st_size) : -1;
}

bool CutBack(int fd, qint64 size)
{
    return ::_chsize_s(fd, size) == 0;
}

void SyncAndClose(int fd)
{
    ::_commit(fd);
    ::_close(fd);
}

}  // namespace korvex::logfile
