// SPDX-License-Identifier: GPL-3.0-or-later
// The quality governor on a fake clock: it leaves a level for frames over budget and comes back with
// time to spare, never within the hold time, and never flips on frames between its thresholds.
#include <gtest/gtest.h>

#include "app/quality_governor.h"

namespace {

constexpr float Frame = 1.0f / 60.0f;
constexpr float Budget = 1.0f / 60.0f;

// Feeds frames of the given drawing time for the given seconds; returns the changes seen.
int Feed(QualityGovernor& governor, float seconds, float drawSeconds)
{
    int changes = 0;
    for (float t = 0.0f; t < seconds; t += Frame) {
        changes += GovernQuality(governor, Frame, drawSeconds) ? 1 : 0;
    }
    return changes;
}

} // namespace

TEST(QualityGovernorTest, StepsDownOverBudgetAndUpWithTimeToSpareAfterTheHold)
{
    QualityGovernor governor = StartQualityGovernor(Budget);
    EXPECT_EQ(governor.level, QualityLevel::Full);
    // Over budget, but not yet for the hold time: nothing changes.
    EXPECT_EQ(Feed(governor, 0.9f * GovernorHoldSeconds, 1.5f * Budget), 0);
    EXPECT_EQ(governor.level, QualityLevel::Full);
    // Held long enough: one step, then the next only after another hold.
    EXPECT_EQ(Feed(governor, 0.2f * GovernorHoldSeconds, 1.5f * Budget), 1);
    EXPECT_EQ(governor.level, QualityLevel::Balanced);
    // About a tenth of a hold has passed since the change.
    EXPECT_EQ(Feed(governor, 0.8f * GovernorHoldSeconds, 1.5f * Budget), 0);
    EXPECT_EQ(Feed(governor, 0.2f * GovernorHoldSeconds, 1.5f * Budget), 1);
    EXPECT_EQ(governor.level, QualityLevel::Fast);
    // Nothing coarser than fast.
    EXPECT_EQ(Feed(governor, 3.0f * GovernorHoldSeconds, 2.0f * Budget), 0);
    // Time to spare: back up one level per hold, to full.
    EXPECT_EQ(Feed(governor, 2.5f * GovernorHoldSeconds, 0.2f * Budget), 2);
    EXPECT_EQ(governor.level, QualityLevel::Full);
}

TEST(QualityGovernorTest, HoldsBetweenTheThresholds)
{
    QualityGovernor governor = StartQualityGovernor(Budget);
    governor.level = QualityLevel::Balanced;
    // Between the up and the down share of the budget, the level stays, however long.
    EXPECT_EQ(Feed(governor, 10.0f * GovernorHoldSeconds, 0.75f * Budget), 0);
    // Frames alternating either side of the budget are smoothed, not followed.
    for (int i = 0; i < 600; ++i) {
        EXPECT_FALSE(GovernQuality(governor, Frame, i % 2 == 0 ? 1.1f * Budget : 0.3f * Budget));
    }
}
