#include "links/ChunkHandOver.h"

namespace korvex {

ChunkHandOver::ChunkHandOver(Wake wake, Deliver deliver)
    : wake_(std::move(wake))
    , deliver_(std::move(deliver))
{
}

bool ChunkHandOver::gateOpen() const
{
    std::lock_guard lock(mutex_);
    return state_ == State::Idle;
}

bool ChunkHandOver::inHandler() const
{
    std::lock_guard lock(mutex_);
    return state_ == State::InHandler;
}

void ChunkHandOver::handOver(std::vector<char> chunk)
{
    std::unique_lock lock(mutex_);
    if (released_ || state_ != State::Idle)
        return;
    chunk_ = std::move(chunk);
    state_ = State::Waiting;
    wake_();
    changed_.wait(lock, [this] { return state_ == State::Idle || (released_ && state_ == State::InHandler); });
}

void ChunkHandOver::serve()
{
    std::unique_lock lock(mutex_);
    if (state_ != State::Waiting)
        return;
    state_ = State::InHandler;
    const std::vector<char> chunk = std::move(chunk_);
    chunk_.clear();
    lock.unlock();

    struct OpenGate {
        ChunkHandOver& self;
        ~OpenGate()
        {
            std::lock_guard lock(self.mutex_);
            self.state_ = State::Idle;
            self.changed_.notify_all();
        }
    } openGate{*this};
    if (deliver_)
        deliver_(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
}

void ChunkHandOver::release()
{
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

} // namespace korvex
