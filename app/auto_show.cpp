// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic show's planning: volleys of one, two or a finale's shells, and the gaps between them.
#include "app/auto_show.h"

#include <algorithm>

#include "app/firework_types.h"

namespace {

// The volleys between two finales.
constexpr int kAutoVolleysBetweenFinalesMin = 8;
constexpr int kAutoVolleysBetweenFinalesMax = 14;

// A 32-bit xorshift: small, fast and the same on every platform.
std::uint32_t NextRandom(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Uniform in [0, 1).
float Uniform(AutoShow& show)
{
    return static_cast<float>(NextRandom(show.state) >> 8) * (1.0f / 16777216.0f);
}

float Between(AutoShow& show, float low, float high)
{
    return low + (high - low) * Uniform(show);
}

int WholeBetween(AutoShow& show, int low, int high)
{
    return std::min(high, low + static_cast<int>(Uniform(show) * static_cast<float>(high - low + 1)));
}

AutoLaunch PlanShell(AutoShow& show, float time)
{
    AutoLaunch shell;
    shell.time = time;
    const int site = WholeBetween(show, 0, kAutoSites - 1);
    shell.launch[0] = (static_cast<float>(site) - (kAutoSites - 1) * 0.5f) * kAutoSiteSpacing;
    shell.launch[1] = 0.0f;
    shell.launch[2] = kAutoShoreZ;
    shell.burst[0] = shell.launch[0] + Between(show, -1.0f, 1.0f);
    shell.burst[1] = Between(show, 3.0f, 5.0f);
    shell.burst[2] = shell.launch[2] + Between(show, -1.0f, 1.0f);
    shell.pick = Uniform(show);
    return shell;
}

// Plans the volley due at show.nextVolley and the time of the one after it.
void PlanVolley(AutoShow& show)
{
    const float start = static_cast<float>(show.nextVolley);
    show.pendingFirst = 0;
    float gap = 0.0f;
    if (show.volleysToFinale <= 0) {
        show.pendingCount = WholeBetween(show, kAutoFinaleMin, kAutoFinaleMax);
        for (int i = 0; i < show.pendingCount; ++i) {
            show.pending[i] = PlanShell(show, start + 0.12f * static_cast<float>(i));
        }
        show.volleysToFinale = WholeBetween(show, kAutoVolleysBetweenFinalesMin, kAutoVolleysBetweenFinalesMax);
        gap = Between(show, 4.0f, 6.0f);
    } else {
        --show.volleysToFinale;
        const bool pair = Uniform(show) < 0.3f;
        show.pendingCount = pair ? 2 : 1;
        show.pending[0] = PlanShell(show, start);
        if (pair) {
            show.pending[1] = PlanShell(show, start + Between(show, 0.1f, 0.4f));
        }
        // Mostly a steady beat, now and then a short pause.
        gap = Uniform(show) < 0.15f ? Between(show, 2.5f, 4.0f) : Between(show, 0.7f, 1.8f);
    }
    show.nextVolley += static_cast<double>(gap / show.rate);
}

} // namespace

void StartAutoShow(AutoShow& show, std::uint32_t seed, double startTime)
{
    show = AutoShow{};
    // Xorshift stays at 0 forever: mix the seed into a state that is never 0.
    show.state = seed * 2654435761u ^ 0x9E3779B9u;
    if (show.state == 0) {
        show.state = 1;
    }
    show.nextVolley = startTime + 1.0;
    show.volleysToFinale = WholeBetween(show, kAutoVolleysBetweenFinalesMin, kAutoVolleysBetweenFinalesMax);
}

int StepAutoShow(AutoShow& show, double time, AutoLaunch* out, int capacity)
{
    int count = 0;
    while (count < capacity) {
        if (show.pendingFirst < show.pendingCount) {
            if (static_cast<double>(show.pending[show.pendingFirst].time) > time) {
                break;
            }
            out[count++] = show.pending[show.pendingFirst++];
            continue;
        }
        if (!show.enabled) {
            // Switched off: the beat resumes from where time is when switched on again.
            show.nextVolley = std::max(show.nextVolley, time);
            break;
        }
        if (show.nextVolley > time) {
            break;
        }
        // After a long stall (a dragged window, a debugger) the beat goes on from now, without catching up.
        if (show.nextVolley < time - 1.0) {
            show.nextVolley = time;
        }
        PlanVolley(show);
    }
    return count;
}

void ChangeAutoRate(AutoShow& show, bool faster)
{
    show.rate = std::clamp(faster ? show.rate * 2.0f : show.rate * 0.5f, kAutoMinRate, kAutoMaxRate);
}

void LaunchAutoShell(FireworkTypeRegistry& registry, const AutoLaunch& shell)
{
    const FireworkType* entry = registry.Pick(shell.pick);
    if (entry != nullptr && entry->handler != nullptr) {
        entry->handler(registry, entry->id, shell.launch[0], shell.launch[1], shell.launch[2], shell.burst[0],
                       shell.burst[1], shell.burst[2]);
    }
}
