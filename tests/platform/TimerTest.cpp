#include "platform/Timer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zintra::Timer;

class TimerNeverTicks : public testing::TestWithParam<int> {};

TEST_P(TimerNeverTicks, AtAnIntervalOfZeroOrBelow) {
    Timer timer(GetParam());
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.SetEnabled(true);
    EXPECT_FALSE(ticks.wait(150));
}

INSTANTIATE_TEST_SUITE_P(Intervals, TimerNeverTicks, testing::Values(0, -1, -110));

TEST(TimerTest, SwitchingOnStartsAFullInterval) {
    Timer timer(200);
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.SetEnabled(true);
    QTest::qWait(120);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    QElapsedTimer sinceOn;
    sinceOn.start();
    ASSERT_TRUE(ticks.wait(5000));
    EXPECT_GE(sinceOn.elapsed(), 200);
}

TEST(TimerTest, SwitchingOnWhenAlreadyOnKeepsTheRunningInterval) {
    Timer timer(300);
    timer.SetEnabled(true);
    QTest::qWait(150);
    timer.SetEnabled(true);
    const auto* clock = timer.findChild<QTimer*>();
    ASSERT_NE(clock, nullptr);
    EXPECT_LE(clock->remainingTime(), 150);
}

TEST(TimerTest, TicksAfterAnIntervalIsGiven) {
    Timer timer(0);
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.SetEnabled(true);
    timer.SetInterval(20);
    EXPECT_TRUE(ticks.wait(5000));
    timer.SetEnabled(false);
    ticks.clear();
    EXPECT_FALSE(ticks.wait(100));
}
