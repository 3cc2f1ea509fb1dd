// SPDX-License-Identifier: GPL-3.0-or-later
// The high-resolution performance counter and the millisecond multimedia clock, over the standard
// steady clock. Both count from the process's first look at the clock, so times stay small.
#pragma once

#include <cstdint>

#include "platform/base/win_types.h"

using LONGLONG = std::int64_t;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

// Counter ticks per second; FALSE only for a null argument.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Ticks since the clock's origin; FALSE only for a null argument.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
// Milliseconds since the clock's origin, wrapping after 2^32 like the platform's.
DWORD timeGetTime();
