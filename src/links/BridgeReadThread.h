#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "links/ChunkHandOver.h"

namespace korvex::cp2110 {

// The bridge link's reader: polls the open device, one poll per poll pause while the delivery gate is
// open, and hands every non-empty chunk to the UI thread, waiting until its handler has returned.
class TReadThread {
public:
    // The library's read of the open device: buffer, bytes wanted, out bytes read; returns the status.
    using ReadFn = std::function<int(std::uint8_t* buffer, std::uint32_t want, std::uint32_t* got)>;

    static constexpr std::uint32_t BufferSize = 2048;

    // pollPause is read before every pause, so a change applies to the next one.
    TReadThread(ReadFn read, std::shared_ptr<ChunkHandOver> handOver, const std::atomic<std::uint32_t>& pollPause);
    ~TReadThread();
    TReadThread(const TReadThread&) = delete;
    TReadThread& operator=(const TReadThread&) = delete;

    // Starts the thread; false when the system cannot create one.
    bool start();
    bool isRunning() const { return thread_.joinable(); }

    // Pausing waits for a read under way to end, so no read runs once this returns; a chunk already read
    // may still be handed over.
    void setPaused(bool paused);

    // UI thread: sets the stop signal and waits up to firstWait for the reader to end; if it has not,
    // sets the terminate request and, until it ends, serves the hand-over it may be blocked in. A handler
    // that throws there is rethrown after the reader has ended.
    void stop(std::chrono::milliseconds firstWait);

private:
    void run();
    bool stopping() const { return stopSignal_ || terminateRequested_; }
    // Waits while paused; false when the reader must end.
    bool waitUntilRunnable();
    void poll();
    // Sleeps for the poll pause; false when the reader must end.
    bool pause();

    ReadFn read_;
    std::shared_ptr<ChunkHandOver> handOver_;
    const std::atomic<std::uint32_t>& pollPause_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopSignal_ = false;
    bool terminateRequested_ = false;
    bool paused_ = false;
    bool reading_ = false;
    bool ended_ = false;
    std::thread thread_;
};

} // namespace korvex::cp2110
