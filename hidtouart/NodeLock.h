#pragma once

#include <cstdint>
#include <string>

namespace korvex::hidtouart {

// An exclusive claim on a device node between programs: the system lets any number of processes open one
// HID device, and a second program's set-up and close would reconfigure and switch off the UART under the
// first. The claim is held until release or destruction: an flock on the node on Linux, a named mutex
// per device path on Windows.
class NodeLock {
public:
    NodeLock() = default;
    // Tries to take the claim without waiting.
    explicit NodeLock(const std::string& path);
    ~NodeLock();
    NodeLock(NodeLock&& other) noexcept;
    NodeLock& operator=(NodeLock&& other) noexcept;
    NodeLock(const NodeLock&) = delete;
    NodeLock& operator=(const NodeLock&) = delete;

    // Another open of the node holds the claim. A node that cannot be opened at all is not busy: opening
    // the device itself then decides.
    bool busy() const { return busy_; }
    void release();

private:
    // The descriptor or handle that holds the claim; -1 when none is held.
    std::intptr_t claim_ = -1;
    bool busy_ = false;
};

} // namespace korvex::hidtouart
