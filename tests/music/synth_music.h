// SPDX-License-Identifier: GPL-3.0-or-later
// Music the tests make themselves, with the beats known: click tracks and drum patterns in tempo
// sections, a held tone and silence, as mono samples.
#pragma once

#include <cstdint>
#include <vector>

struct TempoSection {
    double bpm = 120.0;
    int beats = 32;
};

struct SynthMusic {
    std::vector<float> mono;
    // Where each beat really is, in seconds.
    std::vector<double> beats;
};

// A click on every beat, the first of each four accented; begins after lead seconds of silence.
SynthMusic ClickTrack(const std::vector<TempoSection>& sections, int rate, double lead = 0.5);
// Kick on beats 1 and 3, snare on 2 and 4, a hi-hat on every eighth, a bass note on each bar, with the
// loudness swelling from quiet to loud over the piece.
SynthMusic DrumPattern(const std::vector<TempoSection>& sections, int rate, std::uint32_t seed = 1, double lead = 0.5);
// A sine held for the whole length, with soft edges.
SynthMusic HeldTone(double seconds, double frequency, int rate);
// The part of want within tolerance of some time in have.
double PartNear(const std::vector<double>& want, const std::vector<double>& have, double tolerance);
