// SPDX-License-Identifier: GPL-3.0-or-later
// Planning the show on the beats: how many shells each beat gets, of which kinds, from which sites.
#include "app/choreography.h"

#include <algorithm>
#include <cmath>

#include "app/auto_show.h"
#include "shells/rising_shell.h"

namespace {

// The kinds by id: the big ones (chrysanthemum, Saturn, ring) for downbeats and finales.
constexpr std::int32_t kBigKinds[] = {1000, 3000, 6000};
constexpr std::int32_t kSmallKinds[] = {2000, 4000, 5000, 1000};
// Loudness (0 to 1 of the loud level) that separates quiet, middle, loud and loudest passages.
constexpr float kQuiet = 0.45f;
constexpr float kMiddle = 0.7f;
constexpr float kLoudest = 0.95f;
// The finale at the end: the last beats of the music.
constexpr int kFinaleBeats = 8;

struct Planner {
    std::uint32_t state = 1;
    double frameStep = 0.0;
    std::vector<ScriptEvent> events;

    std::uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float Uniform() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
    int Whole(int count) { return std::min(count - 1, static_cast<int>(Uniform() * static_cast<float>(count))); }
    // A height in quarter units, so that the climb (half a second a unit) is exact in binary.
    float Height(float low, float high)
    {
        const int steps = static_cast<int>((high - low) * 4.0f);
        return low + 0.25f * static_cast<float>(Whole(steps + 1));
    }

    // One shell from site (0 to kAutoSites - 1) bursting at burstTime, leaning by lean units.
    void Shell(double burstTime, int site, std::int32_t kind, float height, float lean)
    {
        ScriptEvent event;
        event.kind = ScriptEvent::Kind::Launch;
        event.typeId = kind + Whole(10);
        event.launch[0] = (static_cast<float>(site) - (kAutoSites - 1) * 0.5f) * kAutoSiteSpacing;
        event.launch[1] = 0.0f;
        event.launch[2] = kAutoShoreZ;
        event.burst[0] = event.launch[0] + std::round(lean * 20.0f) / 20.0f;
        event.burst[1] = height;
        event.burst[2] = event.launch[2] + std::round((Uniform() * 1.6f - 0.8f) * 20.0f) / 20.0f;
        const double launchTime =
            burstTime - static_cast<double>(RisingShellClimbSeconds(0.0f, height)) - frameStep;
        if (launchTime < 0.0) {
            return;
        }
        SetScriptEventTime(event, launchTime);
        events.push_back(event);
    }

    // One of the middle five sites.
    int Site() { return 1 + Whole(kAutoSites - 2); }
    std::int32_t Small() { return kSmallKinds[Whole(4)]; }
    std::int32_t Big() { return kBigKinds[Whole(3)]; }

    // count shells spread over the sites, leaning outwards like a fan.
    void Fan(double burstTime, int count, bool big)
    {
        const float height = big ? Height(4.0f, 5.0f) : Height(3.25f, 4.25f);
        const std::int32_t kind = big ? Big() : Small();
        for (int i = 0; i < count; ++i) {
            const float offset = count > 1 ? static_cast<float>(i) / static_cast<float>(count - 1) - 0.5f : 0.0f;
            // The middle five sites: the outer ones' bursts would lean out of the view.
            const int site = std::clamp(static_cast<int>(std::lround((kAutoSites - 1) * 0.5f + offset * 4.0f)), 1,
                                        kAutoSites - 2);
            Shell(burstTime, site, kind, height, offset);
        }
    }
};

// Loudness now against four seconds before: a swell.
bool Rising(const MusicAnalysis& analysis, double time)
{
    return LoudnessAt(analysis, time) - LoudnessAt(analysis, time - 4.0) > 0.15f;
}

void PlanBeatless(const MusicAnalysis& analysis, Planner& plan)
{
    // Evenly spaced single shells, low and small: the music gives no beat to follow.
    for (double t = 2.0 + kBeatlessSpacing; t < analysis.seconds - 0.5; t += kBeatlessSpacing) {
        plan.Shell(t, plan.Site(), plan.Small(), 3.5f, plan.Uniform() - 0.5f);
    }
}

void PlanBeats(const MusicAnalysis& analysis, Planner& plan)
{
    const std::vector<MusicBeat>& beats = analysis.beats;
    int bar = 0;
    int inBar = 0;
    const std::size_t finaleFrom = beats.size() > kFinaleBeats ? beats.size() - kFinaleBeats : 0;
    for (std::size_t i = 0; i < beats.size(); ++i) {
        const MusicBeat& beat = beats[i];
        if (beat.downbeat) {
            ++bar;
            inBar = 0;
        } else {
            ++inBar;
        }
        if (!beat.steady) {
            continue;
        }
        const float loud = beat.loudness;
        if (i >= finaleFrom) {
            // The finale: a fan on every beat, the last beat the biggest.
            const bool last = i + 1 == beats.size();
            plan.Fan(beat.time, last ? 7 : 3 + plan.Whole(3), last || beat.downbeat);
            continue;
        }
        if (loud < kQuiet) {
            // Quiet: one shell on the first beat of every other bar, long pauses between.
            if (beat.downbeat && bar % 2 == 0) {
                plan.Shell(beat.time, plan.Site(), plan.Small(), plan.Height(3.0f, 4.0f), 0.0f);
            }
        } else if (loud < kMiddle) {
            if (beat.downbeat || inBar == 2) {
                plan.Shell(beat.time, plan.Site(), beat.downbeat ? plan.Big() : plan.Small(),
                           plan.Height(3.25f, 4.5f), plan.Uniform() - 0.5f);
            }
        } else if (loud < kLoudest || !analysis.dynamic) {
            if (beat.downbeat) {
                plan.Fan(beat.time, Rising(analysis, beat.time) ? 3 : 2, true);
            } else {
                plan.Shell(beat.time, plan.Site(), plan.Small(), plan.Height(3.0f, 4.25f),
                           plan.Uniform() - 0.5f);
            }
        } else {
            // The loudest passages of music that has quiet ones too: a fan of big shells opens each bar,
            // pairs and singles fill it (more than that whites out the sky).
            if (beat.downbeat) {
                plan.Fan(beat.time, 4, true);
            } else if (inBar == 2) {
                plan.Fan(beat.time, 2, false);
            } else {
                plan.Shell(beat.time, plan.Site(), plan.Small(), plan.Height(3.0f, 4.25f), plan.Uniform() - 0.5f);
            }
        }
    }
}

} // namespace

std::vector<ScriptEvent> ChoreographShow(const MusicAnalysis& analysis, std::uint32_t seed, double frameStep)
{
    Planner plan;
    plan.frameStep = frameStep;
    plan.state = seed * 2654435761u ^ 0x9E3779B9u;
    if (plan.state == 0) {
        plan.state = 1;
    }
    if (analysis.beatless) {
        PlanBeatless(analysis, plan);
    } else {
        PlanBeats(analysis, plan);
    }
    std::stable_sort(plan.events.begin(), plan.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.microseconds < b.microseconds; });
    return std::move(plan.events);
}
