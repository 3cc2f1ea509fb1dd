// SPDX-License-Identifier: GPL-3.0-or-later
// The timer's state lives in one struct under a mutex: the window thread starts and stops it while
// the render thread reads it.
#include "framework/app_timer.h"

#include <mutex>

namespace {

// Times are in clock units: counter ticks, or milliseconds on the fall-back clock.
struct TimerState {
    bool initialised = false;
    bool usesCounter = false;
    LONGLONG unitsPerSecond = 0;
    LONGLONG baseTime = 0;
    LONGLONG lastElapsedTime = 0;
    LONGLONG stopTime = 0;
    bool stopped = false;
};

std::mutex timerMutex;
TimerState timer;
// Constant-initialised, so a timer read during another file's static start-up finds its clock.
AppTimerClock timerClock{QueryPerformanceFrequency, QueryPerformanceCounter, timeGetTime};

void Initialise(TimerState& state, const AppTimerClock& clock)
{
    LARGE_INTEGER frequency{};
    // A zero or negative frequency would divide by nothing; take the millisecond clock instead.
    state.usesCounter = clock.queryFrequency(&frequency) != FALSE && frequency.QuadPart > 0;
    state.unitsPerSecond = state.usesCounter ? frequency.QuadPart : 1000;
    state.initialised = true;
}

LONGLONG ReadClock(const TimerState& state, const AppTimerClock& clock)
{
    if (!state.usesCounter) {
        return clock.milliseconds();
    }
    LARGE_INTEGER count{};
    clock.queryCounter(&count);
    return count.QuadPart;
}

} // namespace

AppTimerClock PlatformTimerClock()
{
    return {QueryPerformanceFrequency, QueryPerformanceCounter, timeGetTime};
}

void SetAppTimerClock(const AppTimerClock& clock)
{
    const AppTimerClock platform = PlatformTimerClock();
    std::lock_guard lock(timerMutex);
    timerClock.queryFrequency = clock.queryFrequency != nullptr ? clock.queryFrequency : platform.queryFrequency;
    timerClock.queryCounter = clock.queryCounter != nullptr ? clock.queryCounter : platform.queryCounter;
    timerClock.milliseconds = clock.milliseconds != nullptr ? clock.milliseconds : platform.milliseconds;
    timer = TimerState{};
}

double AppTimer(TimerCommand command)
{
    std::lock_guard lock(timerMutex);
    TimerState& state = timer;
    if (!state.initialised) {
        Initialise(state, timerClock);
    }

    // While stopped, time stands at the stop; the flag, not a non-zero stop time, says so, because
    // a clock may read 0 when it is stopped.
    const bool readsLiveClock =
        !state.stopped || command == TimerCommand::Start || command == TimerCommand::AbsoluteTime;
    const LONGLONG now = readsLiveClock ? ReadClock(state, timerClock) : state.stopTime;
    const auto seconds = [&state](LONGLONG units) { return static_cast<double>(units) / state.unitsPerSecond; };

    switch (command) {
    case TimerCommand::Start:
        if (state.stopped) {
            state.baseTime += now - state.stopTime;
        }
        state.stopTime = 0;
        state.lastElapsedTime = now;
        state.stopped = false;
        return 0.0;
    case TimerCommand::Stop:
        state.stopTime = now;
        state.lastElapsedTime = now;
        state.stopped = true;
        return 0.0;
    case TimerCommand::AbsoluteTime:
        return seconds(now);
    case TimerCommand::AppTime:
        return seconds(now - state.baseTime);
    case TimerCommand::ElapsedTime: {
        const double elapsed = seconds(now - state.lastElapsedTime);
        state.lastElapsedTime = now;
        return elapsed;
    }
    }
    return 0.0;
}
