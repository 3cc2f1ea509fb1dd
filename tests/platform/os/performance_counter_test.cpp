// SPDX-License-Identifier: GPL-3.0-or-later
// The performance counter and millisecond clock: units that agree with real time, no going back, and
// an origin near process start so that times kept as floats keep their precision.
#include "platform/os/performance_counter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(PerformanceCounter, AdvancesAtItsStatedFrequencyFromNearProcessStart)
{
    LARGE_INTEGER frequency{};
    LARGE_INTEGER before{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_GT(frequency.QuadPart, 0);
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    const DWORD beforeMilliseconds = timeGetTime();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    LARGE_INTEGER after{};
    QueryPerformanceCounter(&after);
    const DWORD afterMilliseconds = timeGetTime();
    const double measured = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double counted = static_cast<double>(after.QuadPart - before.QuadPart) / frequency.QuadPart;
    EXPECT_GE(counted, 0.030);
    EXPECT_LE(counted, measured + 0.001);
    EXPECT_GE(afterMilliseconds - beforeMilliseconds, 29u);
    EXPECT_LE(afterMilliseconds - beforeMilliseconds, static_cast<DWORD>(measured * 1000.0) + 2u);

    // Float seconds keep millisecond steps only for a few hours: the origin must not be system start.
    EXPECT_LT(static_cast<double>(after.QuadPart) / frequency.QuadPart, 600.0);
    EXPECT_LT(afterMilliseconds, 600'000u);
}

} // namespace
