// SPDX-License-Identifier: GPL-3.0-or-later
// The random source must reproduce the runtime's sequence and keep one state per thread.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "effects/random01.h"

namespace {

std::vector<int> FirstValues(int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(RuntimeRand());
    }
    return values;
}

} // namespace

TEST(Random01, FollowsTheRuntimeSequenceFromStateOne)
{
    ResetRuntimeRand();
    EXPECT_EQ(FirstValues(5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(Random01, EachThreadStartsAtStateOneAndKeepsItsOwnState)
{
    ResetRuntimeRand();
    RuntimeRand();
    RuntimeRand();
    std::vector<int> other;
    std::thread worker([&] { other = FirstValues(3); });
    worker.join();
    EXPECT_EQ(other, (std::vector<int>{41, 18467, 6334}));
    // The worker's draws did not advance this thread's sequence.
    EXPECT_EQ(RuntimeRand(), 6334);
}

TEST(Random01, ScalesIntoTheClosedUnitIntervalAndTruncatesBelowTheCount)
{
    // The generator's period covers every result, so 0 and 32767 both turn up early enough.
    ResetRuntimeRand();
    bool sawMax = false;
    bool sawZero = false;
    for (int i = 0; i < (1 << 20) && !(sawMax && sawZero); ++i) {
        const double r = Random01();
        ASSERT_GE(r, 0.0);
        ASSERT_LE(r, 1.0);
        ASSERT_LT(static_cast<int>(r * 10), 10);
        ASSERT_LT(static_cast<int>(r * 4), 4);
        if (r == 0.0) {
            sawZero = true;
        }
        if (r > 0.9999999) {
            sawMax = true;
            EXPECT_NEAR(r, 0.99999999907, 1e-11);
        }
    }
    EXPECT_TRUE(sawMax);
    EXPECT_TRUE(sawZero);
}
