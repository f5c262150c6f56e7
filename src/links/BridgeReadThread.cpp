#include "links/BridgeReadThread.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace korvex::cp2110 {
namespace {

constexpr std::uint32_t StatusSuccess = 0x00;
constexpr std::uint32_t StatusReadTimedOut = 0x12;

} // namespace

TReadThread::TReadThread(ReadFn read, std::shared_ptr<ChunkHandOver> handOver,
                         const std::atomic<std::uint32_t>& pollPause)
    : read_(std::move(read))
    , handOver_(std::move(handOver))
    , pollPause_(pollPause)
{
}

TReadThread::~TReadThread()
{
    if (isRunning()) {
        try {
            stop(std::chrono::milliseconds(0));
        } catch (...) {
            // A handler's error cannot leave a destructor; the reader has ended all the same.
        }
    }
}

bool TReadThread::start()
{
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TReadThread::setPaused(bool paused)
{
    std::unique_lock lock(mutex_);
    paused_ = paused;
    changed_.notify_all();
    if (paused)
        changed_.wait(lock, [this] { return !reading_; });
}

void TReadThread::stop(std::chrono::milliseconds firstWait)
{
    if (!thread_.joinable())
        return;
    // A handler further down this thread's stack holds the reader: waiting for it cannot help.
    const bool heldByHandler = handOver_->inHandler();
    {
        std::unique_lock lock(mutex_);
        stopSignal_ = true;
        changed_.notify_all();
        if (!heldByHandler && changed_.wait_for(lock, firstWait, [this] { return ended_; })) {
            lock.unlock();
            thread_.join();
            return;
        }
    }
    {
        std::lock_guard lock(mutex_);
        terminateRequested_ = true;
        paused_ = false;
        changed_.notify_all();
    }
    handOver_->release();
    std::exception_ptr handlerError;
    try {
        handOver_->serve();
    } catch (...) {
        handlerError = std::current_exception();
    }
    thread_.join();
    if (handlerError)
        std::rethrow_exception(handlerError);
}

void TReadThread::run()
{
    while (waitUntilRunnable()) {
        if (handOver_->gateOpen())
            poll();
        if (!pause())
            break;
    }
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

bool TReadThread::waitUntilRunnable()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !paused_ || stopping(); });
    if (stopping())
        return false;
    reading_ = true;
    return true;
}

void TReadThread::poll()
{
    std::vector<char> buffer(BufferSize);
    std::uint32_t got = 0;
    const int status = read_(reinterpret_cast<std::uint8_t*>(buffer.data()), BufferSize, &got);
    {
        std::lock_guard lock(mutex_);
        reading_ = false;
        changed_.notify_all();
    }
    const std::uint32_t code = static_cast<std::uint32_t>(status) & 0xFFFF;
    if ((code != StatusSuccess && code != StatusReadTimedOut) || got == 0 || !handOver_->gateOpen())
        return;
    // A library that claims more than the buffer holds gets no chance to hand over bytes it never wrote.
    buffer.resize(std::min(got, BufferSize));
    handOver_->handOver(std::move(buffer));
}

bool TReadThread::pause()
{
    std::unique_lock lock(mutex_);
    reading_ = false;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::milliseconds(pollPause_.load()), [this] { return stopping(); });
    return !stopping();
}

} // namespace korvex::cp2110
