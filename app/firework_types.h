// SPDX-License-Identifier: GPL-3.0-or-later
// The registry of firework kinds: weighted entries, the random pick of a click, and the launch of a
// burst inside its rising shell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/critical_section.h"

class FireObject;
class LaunchSounds;
class FireworkTypeRegistry;

// A kind's launch action. The registry that launches is passed in, so the handler hands its burst
// to that registry's LaunchShell (and so under that registry's render lock).
using LaunchHandler = void (*)(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz,
                               float bx, float by, float bz);

struct FireworkType {
    // Kind × 1000 + colour variant 0..9, or kind × 1000 + 99 for the random variant.
    std::int32_t id = 0;
    float weight = 0.0f;
    // Running sum of the weights up to and including this entry, in sorted order.
    float cumulative = 0.0f;
    // UTF-8 display name.
    std::string name;
    LaunchHandler handler = nullptr;
};

class FireworkTypeRegistry {
public:
    // Updates weight and handler of an existing id (the name stays), else appends a new entry.
    // A weight that is negative or not a number counts as 0, so the entry is never picked.
    void RegisterFireworkType(std::int32_t id, const char* name, float weight, LaunchHandler handler);
    // Sorts by weight, ascending (equal weights keep their registration order), and sums the weights.
    void FinishRegistry();
    // Draws a launch point near the origin, a burst point 3 to 5 units up and an entry by weight,
    // and calls its handler; a pick at the very top of the range launches nothing.
    void LaunchRandomFirework();
    // The entry whose share of the total weight holds u (0..1), or null at the very top of the range.
    const FireworkType* Pick(float u) const;
    // The entry of an id that has a launch action, or null.
    const FireworkType* Find(std::int32_t id) const;
    // Calls the handler of id with these points; false (nothing launched) for an unknown id.
    bool LaunchById(std::int32_t id, float lx, float ly, float lz, float bx, float by, float bz);
    // Wraps burst (may be null) in a rising shell and submits it under the render lock; if the shell
    // cannot be allocated the burst is deleted and nothing is launched.
    void LaunchShell(FireObject* burst, float lx, float ly, float lz, float bx, float by, float bz);
    // The owner's render lock; without one, LaunchShell submits without locking.
    void SetRenderLock(CRITICAL_SECTION* lock) { renderLock = lock; }

    // Told of every launch when the show has sound; null otherwise.
    LaunchSounds* sounds = nullptr;

    std::vector<FireworkType> entries;
    std::int32_t count = 0;
    float totalWeight = 0.0f;

private:
    CRITICAL_SECTION* renderLock = nullptr;
};
