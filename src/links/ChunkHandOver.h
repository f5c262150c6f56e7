#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace korvex {

// Carries received chunks from the reader thread to the UI thread, one at a time: the reader blocks in
// handOver() until the UI thread's handler has returned. While no hand-over is under way the delivery
// gate is open.
class ChunkHandOver {
public:
    using Deliver = std::function<void(const char* data, std::uint32_t len)>;
    // Called on the reader thread: must make the UI thread call serve() soon, without waiting for it.
    using Wake = std::function<void()>;

    ChunkHandOver(Wake wake, Deliver deliver);

    bool gateOpen() const;
    // True while the UI thread runs the handler of a chunk.
    bool inHandler() const;

    // Reader thread: queues the chunk to the UI thread and waits until its handler has returned, or until
    // release() frees the reader from a handler that cannot return first. Does nothing after release().
    void handOver(std::vector<char> chunk);
    // UI thread: runs the handler of a waiting chunk, if any. The gate opens again even when it throws.
    void serve();
    // UI thread, when the reader stops: no further hand-over starts, and a reader held by a handler
    // further down the UI thread's stack goes free.
    void release();

private:
    enum class State : std::uint8_t {
        Idle,      // gate open
        Waiting,   // a chunk is queued for the UI thread
        InHandler, // the UI thread is running its handler
    };

    Wake wake_;
    Deliver deliver_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Idle;
    bool released_ = false;
    std::vector<char> chunk_;
};

} // namespace korvex
