// SPDX-License-Identifier: GPL-3.0-or-later
// Listening to a whole piece of music before the show: its beats and tempo (aubio's beat tracker),
// the bars' first beats (estimated from the beats' strength), note onsets and a loudness envelope.
#pragma once

#include <functional>
#include <vector>

struct MusicBeat {
    double time = 0.0;
    // Loudness of the passage around the beat (two seconds), 0 to 1 of the loud passages' level.
    float loudness = 0.0f;
    // The first beat of a bar, as estimated.
    bool downbeat = false;
    // On a note, and evenly between its neighbours: a beat to land a burst on. Beats the tracker is
    // still finding (after a change of tempo) are not.
    bool steady = false;
};

// Seconds between two values of the loudness envelope.
constexpr double kEnvelopeStep = 0.05;
// Beats in a bar, as assumed for the downbeats.
constexpr int kBeatsPerBar = 4;

struct MusicAnalysis {
    double seconds = 0.0;
    // Beats per minute from the median beat interval; 0 when no steady beat was heard.
    double tempo = 0.0;
    std::vector<MusicBeat> beats;
    std::vector<double> onsets;
    // Loudness every kEnvelopeStep seconds, 0 to 1 of the loud level (the 95th percentile).
    std::vector<float> envelope;
    // The music has quiet passages as well as loud ones (not one level throughout).
    bool dynamic = false;
    // No steady beat: silence, a held tone, noise. beats is then empty.
    bool beatless = false;
    // Nothing above a whisper in the whole file.
    bool silent = false;
};

// Called now and then with the part done, 0 to 1.
using AnalysisProgress = std::function<void(double)>;

// Analyses mono samples at sampleRate. Never fails: music without a beat gives beatless.
MusicAnalysis AnalyseMusic(const std::vector<float>& mono, int sampleRate, const AnalysisProgress& progress = {});

// The envelope's value at a time, 0 outside the music.
float LoudnessAt(const MusicAnalysis& analysis, double time);
