#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "meter/MeterState.h"
#include "records/IntervalTimer.h"

class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QTimer;

namespace korvex {

// The sampling controls above the record grid, over the window's own widgets and timers:
// cbRepeat (only read by the record gate), cbInterval (runs timerInterval), edtRecInterval (the period in
// whole seconds, 1..99999999, checked 1000 ms after the last change by timerInputDelay), and timerInterval,
// whose every expiry sets IntervalTick in the meter state.
class TRecordSampling : public QObject {
    Q_OBJECT
public:
    static constexpr std::int64_t MinSeconds = 1;
    static constexpr std::int64_t MaxSeconds = 99999999;
    static constexpr int InputDelayMs = 1000;

    TRecordSampling(QCheckBox& cbRepeat, QCheckBox& cbInterval, QLineEdit& edtRecInterval, QTimer& timerInputDelay,
                    QTimer& timerInterval, TMeterState& state, QObject* parent = nullptr);

    // Handlers, bound to their controls by the constructor.
    void cbRepeatClick();
    void cbIntervalClick();
    void edtRecIntervalChange();
    void timerInputDelayTimer();
    void timerIntervalTimer();
    // Whether a typed character goes into edtRecInterval: digits and Backspace only.
    static bool edtRecIntervalKeyPress(QChar key);

    // Connection side: on connecting timerInterval runs if and only if cbInterval is ticked and IntervalTick is
    // cleared; on disconnecting timerInterval stops.
    void StartOnConnect();
    void StopOnDisconnect();

    // What the record gate reads.
    bool RepeatTicked() const;
    bool IntervalTimerEnabled() const;

    // The period of edtRecInterval's text in seconds, or 0 when it is no whole number from 1 to 99999999.
    static std::int64_t PeriodSeconds(const QString& text);

    TIntervalTimer& IntervalTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key press must not reach edtRecInterval.
    static bool RefusesKey(const QKeyEvent& key);

    QCheckBox& cbRepeat_;
    QCheckBox& cbInterval_;
    QLineEdit& edtRecInterval_;
    QTimer& timerInputDelay_;
    TMeterState& state_;
    TIntervalTimer interval_;
};

}  // namespace korvex
