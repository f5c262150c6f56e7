#pragma once

#include <QString>
#include <cstdint>
#include <sys/types.h>
#include <vector>

namespace korvex::testing {

// A kernel pseudo terminal standing in for a serial line: the link opens the terminal side by its path,
// the test plays the far end on the other side. The test keeps a descriptor of the terminal side too, to
// read its settings and to keep bytes written before the link opens in its input queue.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && terminal_ >= 0; }
    // The terminal side's device path, /dev/pts/N.
    QString path() const { return path_; }
    int terminal() const { return terminal_; }

    // Writes every byte from the far end; blocks while the line's buffers are full.
    void write(const std::vector<std::uint8_t>& bytes) const;
    void write(const char* text) const;
    // The far end hangs up.
    void hangUp();

    // How many descriptors of this process refer to the terminal side, the test's own included.
    int openCountInThisProcess() const;
    // Whether the process pid holds the terminal side open.
    bool heldBy(long pid) const;

private:
    int master_ = -1;
    int terminal_ = -1;
    QString path_;
    dev_t device_ = 0;
};

// The line's bit rate as the kernel keeps it (also for rates without a B constant).
std::uint32_t LineBitRate(int fd);

}  // namespace korvex::testing
