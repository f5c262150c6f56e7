#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// A CSV file that grows one line at a time: opened for appending ("-" is standard output), the header
// written only when the file is new or empty, and every line handed to the system as it is written, so
// `tail -f` shows it at once. The file holds whole lines only: a line the system refuses part of is cut
// back off, and appending after an unfinished line starts a new one.
class TCsvLog {
public:
    TCsvLog() = default;
    ~TCsvLog();
    TCsvLog(const TCsvLog&) = delete;
    TCsvLog& operator=(const TCsvLog&) = delete;

    // Opens (creating) the file and writes the header if it has no content yet. False with Error() set
    // when it cannot.
    bool Open(const QString& path, std::string_view header);
    // The number of the last record an earlier run left in the file (0: none), where numbering goes on.
    std::int64_t LastRecordNumber() const { return lastRecordNumber_; }
    // Writes one whole line. False with Error() set when the system refused it; BrokenPipe() tells
    // whether the reader of a pipe went away.
    bool WriteLine(std::string_view line);
    // Forces what was written to the disk (for a file) and closes it; standard output stays open.
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    const QString& Error() const { return error_; }
    bool BrokenPipe() const { return brokenPipe_; }
    // Whether a write gave up because StopRequested said so.
    bool Interrupted() const { return interrupted_; }

    // Asked when a write that waits (a full pipe) is cut short by a signal: true gives the write up, so the
    // run can end at once; the line is taken back whole.
    std::function<bool()> StopRequested;

private:
    bool WriteAll(std::string_view bytes);
    static QByteArray LastBytes(const QString& path, qint64 count);
    static std::int64_t LastRecordNumber(const QByteArray& tail);

    int fd_ = -1;
    bool ownsFd_ = false;
    QString path_;
    QString error_;
    bool brokenPipe_ = false;
    bool interrupted_ = false;
    std::int64_t lastRecordNumber_ = 0;
};

}  // namespace korvex
