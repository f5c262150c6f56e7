#include "NodeLock.h"

#include <utility>

namespace korvex::hidtouart {

NodeLock::~NodeLock()
{
    release();
}

NodeLock::NodeLock(NodeLock&& other) noexcept
    : claim_(std::exchange(other.claim_, -1))
    , busy_(std::exchange(other.busy_, false))
{
}

NodeLock& NodeLock::operator=(NodeLock&& other) noexcept
{
    if (this != &other) {
        release();
        claim_ = std::exchange(other.claim_, -1);
        busy_ = std::exchange(other.busy_, false);
    }
    return *this;
}

} // namespace korvex::hidtouart
