// SPDX-License-Identifier: GPL-3.0-or-later
// The listening pass: aubio's tempo tracker and onset detector over the whole file (on two threads),
// then beats placed on the onsets they stand for, gaps filled, and the bars' first beats chosen.
#include "music/music_analysis.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

// Analysis runs at half the mixer's rate: beats and onsets need no more, and it halves the work.
constexpr int kTempoWindow = 1024;
constexpr int kTempoHop = 256;
constexpr int kOnsetWindow = 512;
constexpr int kOnsetHop = 128;
// Below this level (about -70 dB) the music counts as silent.
constexpr float kSilentLevel = 3e-4f;

std::vector<float> HalveRate(const std::vector<float>& mono)
{
    std::vector<float> half(mono.size() / 2);
    for (std::size_t i = 0; i < half.size(); ++i) {
        half[i] = 0.5f * (mono[2 * i] + mono[2 * i + 1]);
    }
    return half;
}

// Runs an aubio detector (tempo or onset) hop by hop, collecting the times it reports.
// A detection is seen as a change of the detector's last reported time: the output value alone is the
// position within the hop, which is 0 for a beat that falls on the hop's start.
template <typename Detector, typename Do, typename Last, typename LastSeconds>
std::vector<double> Detect(const std::vector<float>& samples, int hop, Detector* detector, Do step, Last last,
                           LastSeconds lastSeconds, const AnalysisProgress* progress)
{
    std::vector<double> times;
    uint_t previous = last(detector);
    fvec_t* in = new_fvec(static_cast<uint_t>(hop));
    fvec_t* out = new_fvec(2);
    const std::size_t hops = samples.size() / static_cast<std::size_t>(hop);
    for (std::size_t h = 0; h < hops; ++h) {
        std::copy_n(samples.data() + h * static_cast<std::size_t>(hop), hop, in->data);
        step(detector, in, out);
        const uint_t now = last(detector);
        if (now != previous) {
            previous = now;
            times.push_back(static_cast<double>(lastSeconds(detector)));
        }
        if (progress != nullptr && *progress && h % 2048 == 0) {
            (*progress)(static_cast<double>(h) / static_cast<double>(hops));
        }
    }
    del_fvec(out);
    del_fvec(in);
    return times;
}

std::vector<double> TrackBeats(const std::vector<float>& samples, int rate, const AnalysisProgress& progress)
{
    aubio_tempo_t* tempo = new_aubio_tempo("default", kTempoWindow, kTempoHop, static_cast<uint_t>(rate));
    if (tempo == nullptr) {
        return {};
    }
    std::vector<double> beats = Detect(samples, kTempoHop, tempo, aubio_tempo_do, aubio_tempo_get_last, aubio_tempo_get_last_s, &progress);
    del_aubio_tempo(tempo);
    return beats;
}

std::vector<double> FindOnsets(const std::vector<float>& samples, int rate)
{
    aubio_onset_t* onset = new_aubio_onset("default", kOnsetWindow, kOnsetHop, static_cast<uint_t>(rate));
    if (onset == nullptr) {
        return {};
    }
    aubio_onset_set_minioi_ms(onset, 40.0f);
    std::vector<double> onsets =
        Detect(samples, kOnsetHop, onset, aubio_onset_do, aubio_onset_get_last,
                                        aubio_onset_get_last_s, static_cast<AnalysisProgress*>(nullptr));
    del_aubio_onset(onset);
    return onsets;
}

// Energy of the samples in [from, to) seconds.
double Energy(const std::vector<float>& mono, int rate, double from, double to)
{
    const auto first = static_cast<std::size_t>(std::max(0.0, from) * rate);
    const std::size_t last = std::min(mono.size(), static_cast<std::size_t>(std::max(0.0, to) * rate));
    double sum = 0.0;
    for (std::size_t i = std::min(first, last); i < last; ++i) {
        sum += static_cast<double>(mono[i]) * mono[i];
    }
    return sum;
}

// The detector's onset times lean early or late by a few tens of milliseconds, depending on the sound.
// The attack itself is the millisecond near it where the energy jumps most against the moments before.
double PreciseOnset(const std::vector<float>& mono, int rate, double time)
{
    constexpr double Ms = 0.001;
    // A floor under the energy before, so that the troughs of a low note do not look like attacks.
    double loudest = 0.0;
    for (double t = time - 35.0 * Ms; t <= time + 35.0 * Ms; t += Ms) {
        loudest = std::max(loudest, Energy(mono, rate, t, t + 10.0 * Ms));
    }
    double best = time;
    double bestJump = 0.0;
    for (double t = time - 35.0 * Ms; t <= time + 35.0 * Ms; t += Ms) {
        const double before = Energy(mono, rate, t - 20.0 * Ms, t) * 0.5;
        const double after = Energy(mono, rate, t, t + 10.0 * Ms);
        const double jump = after / (before + 0.02 * loudest + 1e-12);
        if (jump > bestJump) {
            bestJump = jump;
            best = t;
        }
    }
    return best;
}

// Root mean square every kEnvelopeStep seconds, scaled so that the loud level is 1.
std::vector<float> Envelope(const std::vector<float>& mono, int rate, float& loudLevel)
{
    const auto window = static_cast<std::size_t>(kEnvelopeStep * rate);
    std::vector<float> rms(mono.size() / window + (mono.size() % window != 0 ? 1 : 0));
    for (std::size_t w = 0; w < rms.size(); ++w) {
        const std::size_t first = w * window;
        const std::size_t last = std::min(mono.size(), first + window);
        double sum = 0.0;
        for (std::size_t i = first; i < last; ++i) {
            sum += static_cast<double>(mono[i]) * mono[i];
        }
        rms[w] = static_cast<float>(std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, last - first))));
    }
    std::vector<float> sorted = rms;
    loudLevel = 0.0f;
    if (!sorted.empty()) {
        const std::size_t at = sorted.size() * 95 / 100;
        std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(at), sorted.end());
        loudLevel = sorted[at];
    }
    for (float& value : rms) {
        value = loudLevel > kSilentLevel ? std::min(1.0f, value / loudLevel) : 0.0f;
    }
    return rms;
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    return values[middle];
}

// The onset nearest to time within reach, or -1.
double NearestOnset(const std::vector<double>& onsets, double time, double reach)
{
    const auto after = std::lower_bound(onsets.begin(), onsets.end(), time);
    double best = -1.0;
    double distance = reach;
    if (after != onsets.end() && *after - time <= distance) {
        best = *after;
        distance = *after - time;
    }
    if (after != onsets.begin() && time - *(after - 1) <= distance) {
        best = *(after - 1);
    }
    return best;
}

// The beat period around beat at: the median of the intervals within eight beats, so that a tempo change
// is followed and a few stray beats do not count.
double LocalPeriod(const std::vector<double>& beats, std::size_t at)
{
    std::vector<double> gaps;
    const std::size_t first = at > 8 ? at - 8 : 0;
    for (std::size_t i = first + 1; i < std::min(beats.size(), at + 9); ++i) {
        gaps.push_back(beats[i] - beats[i - 1]);
    }
    return Median(gaps);
}

// How much louder the 50 ms after a time are than the 50 ms before: a note's attack over what still
// sounds from earlier ones.
double Rise(const std::vector<float>& mono, int rate, double time)
{
    return std::max(0.0, Energy(mono, rate, time - 0.005, time + 0.045) - Energy(mono, rate, time - 0.055, time - 0.005));
}

// Energy of the first 80 ms from a time: the attack of what starts there.
double AttackLevel(const std::vector<float>& mono, int rate, double time)
{
    const auto first = static_cast<std::size_t>(std::max(0.0, time - 0.01) * rate);
    const std::size_t last = std::min(mono.size(), first + static_cast<std::size_t>(0.08 * rate));
    double sum = 0.0;
    for (std::size_t i = std::min(first, last); i < last; ++i) {
        sum += static_cast<double>(mono[i]) * mono[i];
    }
    return sum;
}


// The median of values[i - 4 .. i + 4].
double NearbyMedian(const std::vector<double>& values, std::size_t i)
{
    const std::size_t first = i > 4 ? i - 4 : 0;
    const std::size_t last = std::min(values.size(), i + 5);
    return Median(std::vector<double>(values.begin() + static_cast<std::ptrdiff_t>(first),
                                      values.begin() + static_cast<std::ptrdiff_t>(last)));
}

// The tracker may lock to half the beat, or to the off-beats, for a while. Onsets halfway between the
// beats about as strong as the beats say the beat is twice as fast there; off-beats much stronger than
// the beats say the beats are on the wrong side. (Every other beat weaker says nothing: kick and snare.)
std::vector<double> FixOctaveAndPhase(const std::vector<double>& beats, const std::vector<float>& mono, int rate)
{
    if (beats.size() < 4) {
        return beats;
    }
    std::vector<double> ratio;
    for (std::size_t i = 1; i < beats.size(); ++i) {
        const double ends = 0.5 * (Rise(mono, rate, beats[i - 1]) + Rise(mono, rate, beats[i]));
        const double middle = Rise(mono, rate, 0.5 * (beats[i - 1] + beats[i]));
        ratio.push_back(middle / std::max(ends, 1e-12));
    }
    std::vector<double> doubled;
    for (std::size_t i = 0; i < beats.size(); ++i) {
        doubled.push_back(beats[i]);
        if (i < ratio.size() && NearbyMedian(ratio, i) >= 0.3) {
            doubled.push_back(0.5 * (beats[i] + beats[i + 1]));
        }
    }
    std::vector<double> shift;
    for (std::size_t i = 0; i + 1 < doubled.size(); ++i) {
        const double half = 0.5 * (doubled[i + 1] - doubled[i]);
        shift.push_back(Rise(mono, rate, doubled[i] + half) /
                        std::max(Rise(mono, rate, doubled[i]), 1e-12));
    }
    std::vector<double> fixed = doubled;
    for (std::size_t i = 0; i < shift.size(); ++i) {
        if (NearbyMedian(shift, i) >= 2.0) {
            fixed[i] += 0.5 * (doubled[i + 1] - doubled[i]);
        }
    }
    return fixed;
}

// Beats moved onto the onsets they stand for, stray beats dropped, missed beats filled in, and the beats
// before the tracker's first one (it needs a few seconds to lock) extended back to the first note.
std::vector<double> PlaceBeats(const std::vector<double>& tracked, const std::vector<double>& onsets,
                               const std::vector<float>& mono, int rate)
{
    const std::vector<double> fixed = FixOctaveAndPhase(tracked, mono, rate);
    std::vector<double> beats;
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        const double period = LocalPeriod(fixed, i);
        const double onset = NearestOnset(onsets, fixed[i], 0.15 * period);
        const double time = onset >= 0.0 ? onset : fixed[i];
        if (beats.empty() || time - beats.back() > 0.7 * period) {
            beats.push_back(time);
        }
    }
    std::vector<double> filled;
    for (std::size_t i = 0; i < beats.size(); ++i) {
        if (i > 0) {
            const double period = LocalPeriod(beats, i);
            const double gap = beats[i] - beats[i - 1];
            const int missing = static_cast<int>(std::lround(gap / period)) - 1;
            for (int m = 1; m <= missing && missing <= 8; ++m) {
                const double guess = beats[i - 1] + gap * m / (missing + 1);
                const double onset = NearestOnset(onsets, guess, 0.1 * period);
                filled.push_back(onset >= 0.0 ? onset : guess);
            }
        }
        filled.push_back(beats[i]);
    }
    if (filled.size() >= 2) {
        std::vector<double> early;
        const double period = LocalPeriod(filled, 0);
        for (double guess = filled.front() - period; guess > 0.0; guess -= period) {
            const double onset = NearestOnset(onsets, guess, 0.1 * period);
            // Only beats the music plays: the lead-in before the first note gets none.
            if (onset < 0.0) {
                break;
            }
            early.push_back(onset);
            guess = onset;
        }
        filled.insert(filled.begin(), early.rbegin(), early.rend());
    }
    // The tracker goes on predicting through pauses and past the end, and at the start may take the
    // off-beats for beats: beats with no note near, or far weaker than the beats around, are dropped.
    std::vector<double> attacks;
    for (double beat : filled) {
        attacks.push_back(AttackLevel(mono, rate, beat));
    }
    std::vector<double> heard;
    for (std::size_t i = 0; i < filled.size(); ++i) {
        if (NearestOnset(onsets, filled[i], 0.3 * LocalPeriod(filled, i)) >= 0.0 &&
            attacks[i] >= 0.1 * NearbyMedian(attacks, i)) {
            heard.push_back(filled[i]);
        }
    }
    return heard;
}

// The part of beats that fall on an onset.
double OnsetSupport(const std::vector<double>& beats, const std::vector<double>& onsets, double period)
{
    if (beats.empty()) {
        return 0.0;
    }
    int supported = 0;
    for (double beat : beats) {
        supported += NearestOnset(onsets, beat, std::max(0.03, 0.1 * period)) >= 0.0 ? 1 : 0;
    }
    return static_cast<double>(supported) / static_cast<double>(beats.size());
}

// Each beat's passage loudness, the bars' first beats and the steady beats.
void DescribeBeats(MusicAnalysis& analysis, const std::vector<double>& beats, const std::vector<float>& used, int rate)
{
    for (double time : beats) {
        MusicBeat beat;
        beat.time = time;
        double sum = 0.0;
        int count = 0;
        // The passage's loudness: the envelope over two seconds around the beat.
        for (double t = time - 1.0; t <= time + 1.0; t += kEnvelopeStep) {
            if (t >= 0.0 && t < analysis.seconds) {
                sum += LoudnessAt(analysis, t);
                ++count;
            }
        }
        beat.loudness = count > 0 ? static_cast<float>(sum / count) : 0.0f;
        analysis.beats.push_back(beat);
    }
    // Passages against the loud ones: the 95th percentile of the beats' passages is 1.
    std::vector<double> passages;
    for (const MusicBeat& beat : analysis.beats) {
        passages.push_back(beat.loudness);
    }
    std::sort(passages.begin(), passages.end());
    const double loud = passages[passages.size() * 95 / 100];
    const double quiet = passages[passages.size() / 10];
    for (MusicBeat& beat : analysis.beats) {
        beat.loudness = loud > 0.0 ? std::min(1.0f, static_cast<float>(beat.loudness / loud)) : 0.0f;
    }
    analysis.dynamic = quiet < 0.6 * loud;
    // Beat numbers count the beats left out too, so that the bars stay in step over a gap.
    std::vector<long> numbers(beats.size(), 0);
    for (std::size_t i = 1; i < beats.size(); ++i) {
        const double local = LocalPeriod(beats, i);
        numbers[i] = numbers[i - 1] + std::max(1L, std::lround((beats[i] - beats[i - 1]) / local));
    }
    // The bar's first beat is its strongest on average: choose the phase with the loudest attacks.
    double strength[kBeatsPerBar] = {};
    for (std::size_t i = 0; i < beats.size(); ++i) {
        strength[numbers[i] % kBeatsPerBar] += AttackLevel(used, rate, beats[i]);
    }
    const long phase = std::max_element(strength, strength + kBeatsPerBar) - strength;
    std::vector<double> onsetAttacks;
    for (double onset : analysis.onsets) {
        onsetAttacks.push_back(Rise(used, rate, onset));
    }
    for (std::size_t i = 0; i < beats.size(); ++i) {
        MusicBeat& beat = analysis.beats[i];
        beat.downbeat = numbers[i] % kBeatsPerBar == phase;
        // The strong notes of the passage (four seconds either side): a beat on a far weaker one
        // (a hi-hat while the tracker is still finding a new tempo) is no beat to burst on.
        const auto first = std::lower_bound(analysis.onsets.begin(), analysis.onsets.end(), beats[i] - 4.0);
        const auto last = std::upper_bound(analysis.onsets.begin(), analysis.onsets.end(), beats[i] + 4.0);
        std::vector<double> near(onsetAttacks.begin() + (first - analysis.onsets.begin()),
                                 onsetAttacks.begin() + (last - analysis.onsets.begin()));
        std::sort(near.begin(), near.end());
        const double strong = near.empty() ? 0.0 : near[near.size() * 8 / 10];
        const bool strongEnough = Rise(used, rate, beats[i]) >= 0.1 * strong;
        const double local = LocalPeriod(beats, i);
        const double before = i > 0 ? beats[i] - beats[i - 1] : local;
        const double after = i + 1 < beats.size() ? beats[i + 1] - beats[i] : local;
        beat.steady = strongEnough && NearestOnset(analysis.onsets, beats[i], 0.005) >= 0.0 &&
                      std::fabs(before - local) < 0.08 * local && std::fabs(after - local) < 0.08 * local;
    }
}

} // namespace

float LoudnessAt(const MusicAnalysis& analysis, double time)
{
    if (time < 0.0 || analysis.envelope.empty()) {
        return 0.0f;
    }
    const auto at = static_cast<std::size_t>(time / kEnvelopeStep);
    return at < analysis.envelope.size() ? analysis.envelope[at] : 0.0f;
}

MusicAnalysis AnalyseMusic(const std::vector<float>& mono, int sampleRate, const AnalysisProgress& progress)
{
    MusicAnalysis analysis;
    if (sampleRate <= 0) {
        analysis.beatless = true;
        analysis.silent = true;
        return analysis;
    }
    analysis.seconds = static_cast<double>(mono.size()) / sampleRate;
    const bool halve = sampleRate >= 32000;
    const std::vector<float> samples = halve ? HalveRate(mono) : std::vector<float>();
    const std::vector<float>& used = halve ? samples : mono;
    const int rate = halve ? sampleRate / 2 : sampleRate;

    float loudLevel = 0.0f;
    analysis.envelope = Envelope(used, rate, loudLevel);
    analysis.silent = !(loudLevel > kSilentLevel);
    if (!analysis.silent) {
        // Onsets on a second thread while the beat tracker runs here.
        std::thread onsetThread([&] {
            analysis.onsets = FindOnsets(used, rate);
            // Attacks are found on the signal's changes: a held bass or pad hides them in the level alone.
            std::vector<float> changes(used.size());
            for (std::size_t i = 1; i < used.size(); ++i) {
                changes[i] = used[i] - 0.95f * used[i - 1];
            }
            for (double& onset : analysis.onsets) {
                onset = PreciseOnset(changes, rate, onset);
            }
            std::sort(analysis.onsets.begin(), analysis.onsets.end());
        });
        const std::vector<double> tracked = TrackBeats(used, rate, progress);
        onsetThread.join();
        std::vector<double> beats = PlaceBeats(tracked, analysis.onsets, used, rate);
        std::vector<double> gaps;
        for (std::size_t i = 1; i < beats.size(); ++i) {
            gaps.push_back(beats[i] - beats[i - 1]);
        }
        const double period = Median(gaps);
        // A steady beat is one the notes play: most beats on an onset, and enough of them.
        if (beats.size() >= 8 && period > 0.0 && OnsetSupport(beats, analysis.onsets, period) >= 0.6) {
            analysis.tempo = 60.0 / period;
            DescribeBeats(analysis, beats, used, rate);
        }
    }
    analysis.beatless = analysis.beats.empty();
    if (progress) {
        progress(1.0);
    }
    return analysis;
}
