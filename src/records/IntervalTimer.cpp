#include "records/IntervalTimer.h"

#include <QDeadlineTimer>
#include <algorithm>

namespace korvex {

TIntervalTimer::TIntervalTimer(QTimer& timer, QObject* parent)
    : QObject(parent)
    , timer_(timer)
    , shortType_(timer.timerType())
    , clock_([] { return QDeadlineTimer::current(Qt::PreciseTimer).deadline(); })
{
    timer_.setSingleShot(false);
    timer_.setInterval(static_cast<int>(period_));
    connect(&timer_, &QTimer::timeout, this, &TIntervalTimer::StepElapsed);
}

void TIntervalTimer::SetPeriod(std::uint64_t milliseconds)
{
    milliseconds = std::max<std::uint64_t>(milliseconds, 1);
    if (milliseconds == period_)
        return;
    period_ = milliseconds;
    if (timer_.isActive())
        Start();
    else
        timer_.setInterval(static_cast<int>(std::min<std::uint64_t>(period_, MaxStep)));
}

std::uint64_t TIntervalTimer::Period() const
{
    return period_;
}

void TIntervalTimer::SetEnabled(bool enabled)
{
    if (enabled == timer_.isActive())
        return;
    if (enabled) {
        Start();
    } else {
        timer_.stop();
        armed_ = false;
    }
}

bool TIntervalTimer::Enabled() const
{
    return timer_.isActive();
}

void TIntervalTimer::SetClock(Clock clock)
{
    clock_ = std::move(clock);
}

void TIntervalTimer::Start()
{
    if (Long()) {
        // A late step would be late by a share of its length, which is days here.
        timer_.setTimerType(Qt::PreciseTimer);
        const std::int64_t now = clock_();
        deadline_ = now + static_cast<std::int64_t>(period_);
        armed_ = true;
        ScheduleStep(now);
    } else {
        timer_.setTimerType(shortType_);
        armed_ = false;
        timer_.setInterval(static_cast<int>(period_));
    }
    timer_.start();
}

bool TIntervalTimer::Long() const
{
    return period_ > static_cast<std::uint64_t>(MaxStep);
}

void TIntervalTimer::ScheduleStep(std::int64_t now)
{
    timer_.setInterval(static_cast<int>(std::clamp<std::int64_t>(deadline_ - now, 1, MaxStep)));
}

void TIntervalTimer::StepElapsed()
{
    if (Long()) {
        const std::int64_t now = clock_();
        if (!armed_) {
            // Started from outside: count the period from here.
            deadline_ = now + static_cast<std::int64_t>(period_);
            armed_ = true;
            ScheduleStep(now);
            return;
        }
        if (now < deadline_) {
            ScheduleStep(now);
            return;
        }
        deadline_ += static_cast<std::int64_t>(period_);
        if (deadline_ <= now)
            deadline_ = now + static_cast<std::int64_t>(period_);
        ScheduleStep(now);
    }
    if (OnExpired)
        OnExpired();
}

}  // namespace korvex
