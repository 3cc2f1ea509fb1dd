// SPDX-License-Identifier: GPL-3.0-or-later
// The quality governor's rule: a smoothed frame time against the budget, with a hold between changes.
#include "app/quality_governor.h"

namespace {

// Weight of the newest frame in the smoothed time: about ten frames' memory.
constexpr float Smoothing = 0.1f;

} // namespace

QualityGovernor StartQualityGovernor(float budgetSeconds)
{
    QualityGovernor governor;
    governor.budget = budgetSeconds > 0.0f ? budgetSeconds : 1.0f / 60.0f;
    governor.average = 0.0f;
    return governor;
}

bool GovernQuality(QualityGovernor& governor, float elapsed, float drawSeconds)
{
    // A stalled clock or a nonsense time teaches nothing.
    if (!(drawSeconds >= 0.0f) || !(elapsed >= 0.0f) || drawSeconds > 10.0f || elapsed > 10.0f) {
        return false;
    }
    governor.average = governor.held == 0.0f && governor.average == 0.0f
                           ? drawSeconds
                           : governor.average + Smoothing * (drawSeconds - governor.average);
    governor.held += elapsed;
    if (governor.held < GovernorHoldSeconds) {
        return false;
    }
    const int level = static_cast<int>(governor.level);
    int wanted = level;
    if (governor.average > GovernorDownShare * governor.budget && level < static_cast<int>(QualityLevel::Fast)) {
        wanted = level + 1;
    } else if (governor.average < GovernorUpShare * governor.budget && level > static_cast<int>(QualityLevel::Full)) {
        wanted = level - 1;
    }
    if (wanted == level) {
        return false;
    }
    governor.level = static_cast<QualityLevel>(wanted);
    governor.held = 0.0f;
    return true;
}
