// SPDX-License-Identifier: GPL-3.0-or-later
// The performance counter and the millisecond clock read the steady clock in nanoseconds.
#include "platform/os/performance_counter.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// An origin at the first reading, not at system start: the show keeps times as floats, which lose
// whole frames once the counter stands at days of uptime.
Clock::duration SinceOrigin()
{
    static const Clock::time_point origin = Clock::now();
    return Clock::now() - origin;
}

} // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (frequency == nullptr) {
        return FALSE;
    }
    frequency->QuadPart = 1'000'000'000;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (count == nullptr) {
        return FALSE;
    }
    count->QuadPart = std::chrono::duration_cast<std::chrono::nanoseconds>(SinceOrigin()).count();
    return TRUE;
}

DWORD timeGetTime()
{
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(SinceOrigin()).count();
    return static_cast<DWORD>(static_cast<std::uint64_t>(milliseconds));
}
