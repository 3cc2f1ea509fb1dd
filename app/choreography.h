// SPDX-License-Identifier: GPL-3.0-or-later
// A show planned from what was heard: every shell is launched its climb time before a beat, so that it
// bursts on the beat. Quiet passages get single shells and long pauses, rising loudness pairs and fans
// from several sites, the downbeats of loud bars the big kinds, the loudest passages and the end finales.
// Music without a beat gets an evenly spaced, quiet show. The same analysis and seed give the same plan.
#pragma once

#include <cstdint>
#include <vector>

#include "app/show_script.h"
#include "music/music_analysis.h"

// Seconds between the shells of the quiet show for music without a beat.
constexpr double kBeatlessSpacing = 3.0;

// The launches, in time order, as show-file events (kind Launch, launch and burst points, type ids of
// the six kinds), for a show drawn in frames of frameStep seconds. A launch is taken up by the frame
// after it and a burst shows on the first frame after its climb, a frame late on average: each shell
// goes up its climb time plus one frame before its beat.
std::vector<ScriptEvent> ChoreographShow(const MusicAnalysis& analysis, std::uint32_t seed, double frameStep);
