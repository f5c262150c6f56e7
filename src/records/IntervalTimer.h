#pragma once

#include <QObject>
#include <QTimer>
#include <climits>
#include <cstdint>
#include <functional>

namespace korvex {

// Runs the sampling period on the timer timerInterval, whose own interval holds at most INT_MAX ms (about
// 24.8 days) while a period may reach 99999999 s. A longer period is covered by chained steps towards a
// deadline on a steady clock, so the timer stays active throughout and its isActive() is the period's
// enabled state; a step that ends early (timers may) is followed by one for the rest.
class TIntervalTimer : public QObject {
    Q_OBJECT
public:
    // Milliseconds on a steady clock.
    using Clock = std::function<std::int64_t()>;

    static constexpr std::int64_t MaxStep = INT_MAX;

    explicit TIntervalTimer(QTimer& timer, QObject* parent = nullptr);

    // Setting a different period restarts the countdown when the period runs; a period of 0 counts as 1 ms.
    void SetPeriod(std::uint64_t milliseconds);
    std::uint64_t Period() const;

    // Enabling a running period or disabling a stopped one does nothing.
    void SetEnabled(bool enabled);
    bool Enabled() const;

    // For tests: the clock that long periods are measured on.
    void SetClock(Clock clock);

    // Called on every expiry of the whole period.
    std::function<void()> OnExpired;

private:
    void Start();
    void StepElapsed();
    bool Long() const;
    void ScheduleStep(std::int64_t now);

    QTimer& timer_;
    Qt::TimerType shortType_;
    std::uint64_t period_ = 1000;
    std::int64_t deadline_ = 0;
    bool armed_ = false;  // deadline_ belongs to the current run
    Clock clock_;
};

}  // namespace korvex
