// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide timer: application time (stopped intervals left out), the time between frames and
// absolute time, in seconds. Safe to call from the window and render threads at once.
#pragma once

#include "platform/os/performance_counter.h"

enum class TimerCommand {
    Start,        // resume after a stop (and begin elapsed-time counting); returns 0
    Stop,         // freeze application time; returns 0
    AbsoluteTime, // the clock now, stopped or not
    AppTime,      // clock time minus all stopped intervals
    ElapsedTime,  // time since the previous ElapsedTime, Start or Stop; 0 while stopped
};

double AppTimer(TimerCommand command);

// Where the timer reads its time: the performance counter, or the millisecond clock when the
// counter's frequency cannot be had. Tests put their own functions here to drive the timer.
struct AppTimerClock {
    BOOL (*queryFrequency)(LARGE_INTEGER* frequency);
    BOOL (*queryCounter)(LARGE_INTEGER* count);
    DWORD (*milliseconds)();
};

// The platform's performance counter and multimedia clock.
AppTimerClock PlatformTimerClock();

// Replaces the clock (null members take the platform's function) and returns the timer to its state
// at process start, so the next call reads the frequency afresh.
void SetAppTimerClock(const AppTimerClock& clock);
