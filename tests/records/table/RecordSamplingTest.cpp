#include "records/ui/RecordSampling.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace korvex;

namespace {

void Fire(QTimer& timer)
{
    QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
}

class Sampling : public ::testing::Test {
protected:
    Sampling()
    {
        cbRepeat.setChecked(true);
        edtRecInterval.setText("1");
        timerInputDelay.stop();
    }

    QCheckBox cbRepeat;
    QCheckBox cbInterval;
    QLineEdit edtRecInterval;
    QTimer timerInputDelay;
    QTimer timerInterval;
    TMeterState state;
    TRecordSampling sampling{cbRepeat, cbInterval, edtRecInterval, timerInputDelay, timerInterval, state};
};

}  // namespace

TEST_F(Sampling, StartsWithBothTimersStoppedAtOneSecond)
{
    EXPECT_FALSE(timerInterval.isActive());
    EXPECT_FALSE(timerInputDelay.isActive());
    EXPECT_EQ(timerInterval.interval(), 1000);
    EXPECT_EQ(timerInputDelay.interval(), 1000);
    EXPECT_TRUE(sampling.RepeatTicked());
    cbRepeat.click();
    EXPECT_FALSE(sampling.RepeatTicked());
    EXPECT_FALSE(timerInterval.isActive()) << "Repeat has no effect of its own";
}

TEST_F(Sampling, EntryIsCheckedOneDelayAfterTheLastChange)
{
    struct Case {
        const char* text;
        const char* kept;
        std::uint64_t periodMs;
    };
    const Case cases[] = {
        {"0", "1", 1000},
        {"100000000", "1", 1000},
        {"", "1", 1000},
        {"99999999", "99999999", 99999999000ull},
        {"7", "7", 7000},
        {"-5", "1", 1000},
        {"12x", "1", 1000},
        {"99999999999999999999999", "1", 1000},
    };
    for (const Case& c : cases) {
        sampling.IntervalTimer().SetPeriod(123000);
        edtRecInterval.setText(c.text);
        EXPECT_TRUE(timerInputDelay.isActive()) << "a change starts the entry delay: " << c.text;
        Fire(timerInputDelay);
        EXPECT_EQ(edtRecInterval.text().toStdString(), c.kept) << c.text;
        EXPECT_EQ(sampling.IntervalTimer().Period(), c.periodMs) << c.text;
        EXPECT_EQ(timerInputDelay.isActive(), std::string(c.text) != c.kept)
            << "replacing the text is a change again: " << c.text;
        timerInputDelay.stop();
    }
}

TEST_F(Sampling, OnlyDigitsAndBackspaceAreTyped)
{
    edtRecInterval.clear();
    QTest::keyClicks(&edtRecInterval, "1a2 B-3.");
    EXPECT_EQ(edtRecInterval.text(), "123");
    QTest::keyClick(&edtRecInterval, Qt::Key_Backspace);
    EXPECT_EQ(edtRecInterval.text(), "12");
    QTest::keyClick(&edtRecInterval, Qt::Key_Left);
    QTest::keyClick(&edtRecInterval, Qt::Key_Delete);
    EXPECT_EQ(edtRecInterval.text(), "1") << "keys that type nothing pass";
    EXPECT_TRUE(TRecordSampling::edtRecIntervalKeyPress(u'0'));
    EXPECT_TRUE(TRecordSampling::edtRecIntervalKeyPress(QChar(8)));
    EXPECT_FALSE(TRecordSampling::edtRecIntervalKeyPress(u'\u0660')) << "only the ASCII digits";
}

TEST_F(Sampling, IntervalBoxRunsTheTimerAndEveryExpirySetsTheTick)
{
    state.IntervalTick = true;
    cbInterval.click();
    EXPECT_TRUE(timerInterval.isActive());
    EXPECT_TRUE(sampling.IntervalTimerEnabled());
    EXPECT_FALSE(state.IntervalTick);

    Fire(timerInterval);
    EXPECT_TRUE(state.IntervalTick);

    cbInterval.click();
    EXPECT_FALSE(timerInterval.isActive());
    EXPECT_FALSE(state.IntervalTick);
}

TEST_F(Sampling, ConnectingFollowsTheBoxAndDisconnectingStops)
{
    state.IntervalTick = true;
    sampling.StartOnConnect();
    EXPECT_FALSE(timerInterval.isActive()) << "box not ticked";
    EXPECT_FALSE(state.IntervalTick);

    cbInterval.setChecked(true);
    sampling.StopOnDisconnect();
    EXPECT_FALSE(timerInterval.isActive());
    state.IntervalTick = true;
    sampling.StartOnConnect();
    EXPECT_TRUE(timerInterval.isActive());
    EXPECT_FALSE(state.IntervalTick);
    sampling.StopOnDisconnect();
    EXPECT_FALSE(timerInterval.isActive());
}

TEST_F(Sampling, ANewPeriodRestartsARunningCountdown)
{
    cbInterval.setChecked(true);
    edtRecInterval.setText("5");
    Fire(timerInputDelay);
    EXPECT_EQ(timerInterval.interval(), 5000);
    EXPECT_TRUE(timerInterval.isActive());
    EXPECT_GT(timerInterval.remainingTime(), 4000);
}

// Periods beyond one timer interval: the steps are checked on a clock the test moves.
class LongPeriod : public ::testing::Test {
protected:
    LongPeriod()
    {
        interval.SetClock([this] { return now; });
        interval.OnExpired = [this] { ++expiries; };
    }

    // Lets the current step run out: the clock moves by the step and the timer fires.
    void RunStep()
    {
        now += timer.interval();
        Fire(timer);
    }

    QTimer timer;
    TIntervalTimer interval{timer};
    std::int64_t now = 1'000'000;
    int expiries = 0;
};

TEST_F(LongPeriod, LargestEntryExpiresAfterExactlyItsPeriodThroughChainedSteps)
{
    constexpr std::int64_t period = 99999999LL * 1000;
    const std::int64_t start = now;
    interval.SetPeriod(period);
    interval.SetEnabled(true);
    int steps = 0;
    while (expiries == 0 && steps < 100) {
        ASSERT_TRUE(timer.isActive());
        ASSERT_GE(timer.interval(), 1);
        ASSERT_LE(timer.interval(), INT_MAX);
        RunStep();
        ++steps;
    }
    EXPECT_EQ(expiries, 1);
    EXPECT_EQ(now - start, period);
    EXPECT_EQ(steps, static_cast<int>((period + INT_MAX - 1) / INT_MAX));
    EXPECT_TRUE(timer.isActive());

    while (expiries == 1)
        RunStep();
    EXPECT_EQ(now - start, 2 * period) << "the next period follows on without drift";
}

TEST_F(LongPeriod, EarlyOrLateStepsKeepTheDeadline)
{
    const std::int64_t period = 30LL * 24 * 3600 * 1000;  // 30 days
    const std::int64_t start = now;
    interval.SetPeriod(static_cast<std::uint64_t>(period));
    interval.SetEnabled(true);
    EXPECT_EQ(timer.interval(), INT_MAX);

    now += INT_MAX - 1000;  // the step ends a second early
    Fire(timer);
    EXPECT_EQ(expiries, 0);
    EXPECT_EQ(timer.interval(), period - INT_MAX + 1000);
    RunStep();
    EXPECT_EQ(expiries, 1);
    EXPECT_EQ(now - start, period);

    RunStep();
    EXPECT_EQ(timer.interval(), period - INT_MAX);
    now += timer.interval() + 5000;  // the last step ends five seconds late
    Fire(timer);
    EXPECT_EQ(expiries, 2);
    EXPECT_EQ(timer.interval(), INT_MAX) << "the next deadline stays at three periods from the start";
    now += INT_MAX;
    Fire(timer);
    EXPECT_EQ(timer.interval(), start + 3 * period - now);
    EXPECT_EQ(timer.interval(), period - INT_MAX - 5000);
}

TEST_F(LongPeriod, ChangingOrStoppingThePeriodStartsTheCountAgain)
{
    const std::int64_t period = 40LL * 24 * 3600 * 1000;
    interval.SetPeriod(static_cast<std::uint64_t>(period));
    interval.SetEnabled(true);
    RunStep();
    interval.SetPeriod(static_cast<std::uint64_t>(period));  // the same period changes nothing
    EXPECT_EQ(timer.interval(), period - INT_MAX);

    interval.SetPeriod(static_cast<std::uint64_t>(period + 1));
    const std::int64_t restarted = now;
    EXPECT_EQ(timer.interval(), INT_MAX);
    while (expiries == 0)
        RunStep();
    EXPECT_EQ(now - restarted, period + 1);

    interval.SetEnabled(false);
    EXPECT_FALSE(timer.isActive());
    now += 12345;
    interval.SetEnabled(true);
    const std::int64_t enabled = now;
    while (expiries == 1)
        RunStep();
    EXPECT_EQ(now - enabled, period + 1);

    interval.SetPeriod(2000);
    EXPECT_EQ(timer.interval(), 2000) << "short periods use the timer alone";
    Fire(timer);
    EXPECT_EQ(expiries, 3);
}
