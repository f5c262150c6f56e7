#pragma once

#include <QString>
#include <QtGlobal>

// The few operations of an append-only log file that each system spells its own way.
namespace korvex::logfile {

// Opens (creating) path for appending bytes as they are; -1 with errno set when it cannot.
int OpenForAppending(const QString& path);
// Standard output, writing bytes as they are.
int StandardOutput();
// The size of a regular file; -1 for a pipe, a terminal or a failure.
qint64 RegularFileSize(int fd);
// Cuts a regular file back to size bytes.
bool CutBack(int fd, qint64 size);
// Forces what was written to the disk and closes the file.
void SyncAndClose(int fd);

}  // namespace korvex::logfile
