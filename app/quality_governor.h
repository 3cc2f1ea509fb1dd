// SPDX-License-Identifier: GPL-3.0-or-later
// The quality governor of --quality auto: picks the soft layer's resolution from the measured frame
// times, with separate thresholds down and up and a hold after each change so that it does not flip.
#pragma once

#include "effects/soft_target.h"

struct QualityGovernor {
    QualityLevel level = QualityLevel::Full;
    // Seconds of drawing one frame may take.
    float budget = 1.0f / 60.0f;
    // The smoothed drawing time of a frame, in seconds.
    float average = 0.0f;
    // Seconds since the last change (or the start).
    float held = 0.0f;
};

// Over this share of the budget (smoothed), a coarser level; under the up share, a finer one.
constexpr float GovernorDownShare = 1.0f;
constexpr float GovernorUpShare = 0.5f;
// No change within this many seconds of the last.
constexpr float GovernorHoldSeconds = 2.0f;

// Starts at Full on any rasteriser. On a software one the soft layer's switch of targets and composite
// cost about what it spares except in the heaviest frames (tools/measure-live), so a reduced level is
// taken when the frames go over budget, not beforehand.
QualityGovernor StartQualityGovernor(float budgetSeconds);

// One frame: elapsed seconds since the last, and the seconds its drawing took. True when the level
// changed.
bool GovernQuality(QualityGovernor& governor, float elapsed, float drawSeconds);
