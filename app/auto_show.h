// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic show: a scheduler that launches random kinds at a display's rhythm (single shells,
// pairs, pauses and now and then a finale) from launch sites along the shore. It runs on the clock it
// is given and draws from a generator of its own, so a seed gives the same launches every time.
#pragma once

#include <cstdint>

class FireworkTypeRegistry;

// Sites along the shore, a line across the default view.
constexpr int kAutoSites = 7;
constexpr float kAutoSiteSpacing = 1.0f;
constexpr float kAutoShoreZ = 1.0f;
// The rate factor of LaunchRateUp and LaunchRateDown: halved or doubled within these bounds.
constexpr float kAutoMinRate = 0.25f;
constexpr float kAutoMaxRate = 4.0f;
// A finale's shells.
constexpr int kAutoFinaleMin = 6;
constexpr int kAutoFinaleMax = 10;

struct AutoLaunch {
    float time = 0.0f;
    // Where in the kinds' total weight the pick falls, 0 to 1.
    float pick = 0.0f;
    float launch[3] = {};
    float burst[3] = {};
};

struct AutoShow {
    bool enabled = true;
    float rate = 1.0f;
    std::uint32_t state = 1;
    // Show time of the next volley.
    double nextVolley = 0.0;
    int volleysToFinale = 0;
    // Planned shells of the current volley, in time order, from pendingFirst on.
    AutoLaunch pending[kAutoFinaleMax];
    int pendingCount = 0;
    int pendingFirst = 0;
};

// A fresh show whose first volley goes up one second after startTime.
void StartAutoShow(AutoShow& show, std::uint32_t seed, double startTime);
// Writes the launches due by time into out (at most capacity, the rest stay due) and returns their
// number. A disabled show plans nothing new (shells of a started volley still go up).
int StepAutoShow(AutoShow& show, double time, AutoLaunch* out, int capacity);
// Doubles or halves the rate within its bounds.
void ChangeAutoRate(AutoShow& show, bool faster);
// Launches one planned shell through the registry, picked by weight as a click is.
void LaunchAutoShell(FireworkTypeRegistry& registry, const AutoLaunch& shell);
