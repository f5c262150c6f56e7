#include "records/CsvLog.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "records/LogFile.h"

namespace korvex {

TCsvLog::~TCsvLog()
{
    Close();
}

bool TCsvLog::Open(const QString& path, std::string_view header)
{
    Close();
    path_ = path == QLatin1String("-") ? QStringLiteral("standard output") : path;
    lastRecordNumber_ = 0;
    if (path == QLatin1String("-")) {
        fd_ = logfile::StandardOutput();
        ownsFd_ = false;
    } else {
        fd_ = logfile::OpenForAppending(path);
        ownsFd_ = true;
        if (fd_ < 0) {
            error_ = QStringLiteral("cannot open %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    // Appending to a log that already has lines adds no second header in the middle of it, goes on from
    // its last record number, and starts on a line of its own after a line an earlier run left unfinished.
    if (logfile::RegularFileSize(fd_) <= 0)
        return WriteLine(header);
    const QByteArray tail = LastBytes(path, 4096);
    lastRecordNumber_ = LastRecordNumber(tail);
    return tail.endsWith('\n') || WriteLine("\r\n");
}

bool TCsvLog::WriteLine(std::string_view line)
{
    if (fd_ < 0)
        return false;
    // A line the system takes only in part is taken back, so the file holds whole lines only.
    const qint64 before = logfile::RegularFileSize(fd_);
    if (WriteAll(line))
        return true;
    if (before >= 0)
        logfile::CutBack(fd_, before);
    return false;
}

QByteArray TCsvLog::LastBytes(const QString& path, qint64 count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(qMax<qint64>(0, file.size() - count)))
        return {};
    return file.readAll();
}

std::int64_t TCsvLog::LastRecordNumber(const QByteArray& tail)
{
    // The last whole line: an unfinished one after it is no record.
    const qsizetype end = tail.lastIndexOf('\n');
    if (end < 0)
        return 0;
    const qsizetype start = tail.lastIndexOf('\n', end - 1) + 1;
    const QByteArray line = tail.mid(start, end - start);
    bool number = false;
    const std::int64_t value = line.left(line.indexOf(',')).toLongLong(&number);
    return number && value > 0 ? value : 0;
}

bool TCsvLog::WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR && !(StopRequested && StopRequested()))
                continue;
            if (errno == EINTR) {
                interrupted_ = true;
                error_ = QStringLiteral("writing to %1 was stopped").arg(path_);
                return false;
            }
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
    if (ownsFd_)
        logfile::SyncAndClose(fd_);
    fd_ = -1;
}

}  // namespace korvex
