// SPDX-License-Identifier: GPL-3.0-or-later
// The timer on a clock the tests move by hand: application time across stops and starts, elapsed
// time, the millisecond fall-back clock, and consistent readings while another thread stops and starts.
#include "framework/app_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The hand-moved clock: 1000 ticks per second, so a tick is a millisecond.
std::atomic<LONGLONG> ticks{0};
LONGLONG frequency = 1000;
// Set to advance the clock by one tick on every reading, for the threaded test.
std::atomic<bool> tickOnRead{false};

BOOL HandFrequency(LARGE_INTEGER* out)
{
    out->QuadPart = frequency;
    return TRUE;
}

BOOL NoFrequency(LARGE_INTEGER*)
{
    return FALSE;
}

BOOL HandCounter(LARGE_INTEGER* out)
{
    out->QuadPart = tickOnRead ? ticks.fetch_add(1) + 1 : ticks.load();
    return TRUE;
}

DWORD HandMilliseconds()
{
    return static_cast<DWORD>(ticks.load());
}

class AppTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ticks = 0;
        frequency = 1000;
        tickOnRead = false;
        SetAppTimerClock({HandFrequency, HandCounter, HandMilliseconds});
    }
    void TearDown() override { SetAppTimerClock(PlatformTimerClock()); }

    static void At(double seconds) { ticks = static_cast<LONGLONG>(seconds * 1000.0 + 0.5); }
};

TEST_F(AppTimerTest, RunningTimerCountsFromTheClockOriginAndElapsedFromTheLastReading)
{
    At(4.0);
    EXPECT_EQ(AppTimer(TimerCommand::Start), 0.0);
    At(6.0);
    // Start without a stop leaves the base alone: application time counts from the clock's origin.
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 6.0);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AbsoluteTime), 6.0);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 2.0);
    At(6.25);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.25);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.0);
    At(6.265);
    EXPECT_NEAR(AppTimer(TimerCommand::ElapsedTime), 0.015, 1e-12);
}

TEST_F(AppTimerTest, WhileStoppedAppTimeStandsStillAndElapsedIsZero)
{
    At(1.0);
    AppTimer(TimerCommand::Start);
    At(3.0);
    EXPECT_EQ(AppTimer(TimerCommand::Stop), 0.0);
    for (double t : {3.5, 7.0, 20.0}) {
        At(t);
        EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 3.0);
        EXPECT_EQ(AppTimer(TimerCommand::ElapsedTime), 0.0);
        // Absolute time keeps running.
        EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AbsoluteTime), t);
    }
}

TEST_F(AppTimerTest, StartAfterAStopContinuesWhereTheStopLeftOff)
{
    AppTimer(TimerCommand::Start);
    At(10.0);
    AppTimer(TimerCommand::Stop);
    At(15.0);
    AppTimer(TimerCommand::Start);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 10.0);
    At(15.5);
    // The stopped five seconds are neither application time nor elapsed time.
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.5);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 10.5);

    // A second pause adds to the first.
    At(16.0);
    AppTimer(TimerCommand::Stop);
    At(19.0);
    AppTimer(TimerCommand::Start);
    At(20.0);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 12.0);
}

TEST_F(AppTimerTest, SecondStopKeepsTheFirstStopTime)
{
    AppTimer(TimerCommand::Start);
    At(10.0);
    AppTimer(TimerCommand::Stop);
    At(13.0);
    AppTimer(TimerCommand::Stop);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 10.0);
    At(15.0);
    AppTimer(TimerCommand::Start);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 10.0);
}

TEST_F(AppTimerTest, StopAtClockZeroStillStops)
{
    At(0.0);
    AppTimer(TimerCommand::Stop);
    At(2.0);
    EXPECT_EQ(AppTimer(TimerCommand::AppTime), 0.0);
    EXPECT_EQ(AppTimer(TimerCommand::ElapsedTime), 0.0);
    AppTimer(TimerCommand::Start);
    At(2.5);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 0.5);
}

TEST_F(AppTimerTest, WithoutACounterFrequencyTheMillisecondClockIsUsed)
{
    SetAppTimerClock({NoFrequency, HandCounter, HandMilliseconds});
    At(2.0);
    AppTimer(TimerCommand::Start);
    At(3.5);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 3.5);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 1.5);

    // A counter that claims a zero frequency is no counter: no division by zero.
    frequency = 0;
    SetAppTimerClock({HandFrequency, HandCounter, HandMilliseconds});
    At(4.0);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AbsoluteTime), 4.0);
}

// Application time never runs backwards and elapsed time is never negative, however the window
// thread's stops and starts fall between the render thread's readings.
TEST_F(AppTimerTest, ReadingsStayConsistentWhileAnotherThreadStopsAndStarts)
{
    tickOnRead = true;
    AppTimer(TimerCommand::Start);
    std::atomic<bool> done{false};
    std::thread window([&done] {
        for (int i = 0; i < 20000; ++i) {
            AppTimer(TimerCommand::Stop);
            AppTimer(TimerCommand::Start);
        }
        done = true;
    });
    double previous = 0.0;
    int backwards = 0;
    int negative = 0;
    while (!done) {
        const double now = AppTimer(TimerCommand::AppTime);
        backwards += now < previous ? 1 : 0;
        previous = now;
        negative += AppTimer(TimerCommand::ElapsedTime) < 0.0 ? 1 : 0;
    }
    window.join();
    EXPECT_EQ(backwards, 0);
    EXPECT_EQ(negative, 0);
}

} // namespace
