#include "records/ui/RecordSampling.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "widgets/Guarded.h"

namespace korvex {

TRecordSampling::TRecordSampling(QCheckBox& cbRepeat, QCheckBox& cbInterval, QLineEdit& edtRecInterval,
                                 QTimer& timerInputDelay, QTimer& timerInterval, TMeterState& state, QObject* parent)
    : QObject(parent)
    , cbRepeat_(cbRepeat)
    , cbInterval_(cbInterval)
    , edtRecInterval_(edtRecInterval)
    , timerInputDelay_(timerInputDelay)
    , state_(state)
    , interval_(timerInterval, this)
{
    timerInputDelay_.stop();
    timerInputDelay_.setInterval(InputDelayMs);
    interval_.SetEnabled(false);
    interval_.SetPeriod(1000);
    interval_.OnExpired = Guarded([this] { timerIntervalTimer(); });

    connect(&cbRepeat_, &QCheckBox::clicked, this, Guarded(this, &TRecordSampling::cbRepeatClick));
    // Also when ticked from code, as the gate must follow the box whoever ticks it.
    connect(&cbInterval_, &QCheckBox::toggled, this, Guarded(this, &TRecordSampling::cbIntervalClick));
    connect(&edtRecInterval_, &QLineEdit::textChanged, this, Guarded(this, &TRecordSampling::edtRecIntervalChange));
    connect(&timerInputDelay_, &QTimer::timeout, this, Guarded(this, &TRecordSampling::timerInputDelayTimer));
    edtRecInterval_.installEventFilter(this);
}

void TRecordSampling::cbRepeatClick()
{
}

void TRecordSampling::cbIntervalClick()
{
    interval_.SetEnabled(cbInterval_.isChecked());
    state_.IntervalTick = false;
}

void TRecordSampling::edtRecIntervalChange()
{
    timerInputDelay_.stop();
    timerInputDelay_.start();
}

void TRecordSampling::timerInputDelayTimer()
{
    timerInputDelay_.stop();
    std::int64_t seconds = PeriodSeconds(edtRecInterval_.text());
    if (seconds == 0) {
        edtRecInterval_.setText(QStringLiteral("1"));
        seconds = 1;
    }
    interval_.SetPeriod(static_cast<std::uint64_t>(seconds) * 1000u);
}

void TRecordSampling::timerIntervalTimer()
{
    state_.IntervalTick = true;
}

bool TRecordSampling::edtRecIntervalKeyPress(QChar key)
{
    return (key >= u'0' && key <= u'9') || key == QChar(8);
}

void TRecordSampling::StartOnConnect()
{
    interval_.SetEnabled(cbInterval_.isChecked());
    state_.IntervalTick = false;
}

void TRecordSampling::StopOnDisconnect()
{
    interval_.SetEnabled(false);
}

bool TRecordSampling::RepeatTicked() const
{
    return cbRepeat_.isChecked();
}

bool TRecordSampling::IntervalTimerEnabled() const
{
    return interval_.Enabled();
}

std::int64_t TRecordSampling::PeriodSeconds(const QString& text)
{
    bool ok = false;
    const qlonglong seconds = text.toLongLong(&ok, 10);
    if (!ok || seconds < MinSeconds || seconds > MaxSeconds)
        return 0;
    return seconds;
}

TIntervalTimer& TRecordSampling::IntervalTimer()
{
    return interval_;
}

bool TRecordSampling::eventFilter(QObject* watched, QEvent* event)
{
    bool refused = false;
    if (watched == &edtRecInterval_ && event->type() == QEvent::KeyPress
        && !RunGuarded([&] { refused = RefusesKey(*static_cast<QKeyEvent*>(event)); }))
        return true;
    return refused || QObject::eventFilter(watched, event);
}

bool TRecordSampling::RefusesKey(const QKeyEvent& key)
{
    // Tab and Backtab move the focus; they are no typed characters.
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false;
    for (const QChar c : key.text()) {
        if (!edtRecIntervalKeyPress(c))
            return true;
    }
    return false;
}

}  // namespace korvex
