// SPDX-License-Identifier: GPL-3.0-or-later
// The show's sounds follow its launches: the registry tells this object of each launch, and it posts
// the launch, the burst and any crackle to the mixer at the times and places they happen, heard from
// the camera. The effect objects know nothing of sound.
#pragma once

#include <mutex>

#include "d3dx/d3dx_math.h"
#include "sound/sound_mixer.h"

// Kind numbers as in the firework ids (kind × 1000 + variant).
enum class FireworkKind : int { Chrysanthemum = 1, Bee, Saturn, Spiral, Peony, Ring };

// The eye and its right-hand direction from a left-handed view matrix.
Listener ListenerFromView(const D3DXMATRIX& view);

// Seconds a rising shell takes from launch to burst: half a second per unit of height.
float RiseSeconds(const float launch[3], const float burst[3]);

class LaunchSounds {
public:
    explicit LaunchSounds(SoundMixer& mixer) : mixer_(mixer) {}

    // From the thread that draws, once per frame.
    void SetListener(const Listener& listener);
    // A render on a fixed step launches at its own times; without this the mixer's clock is now.
    void UseClock(double now);

    // A shell of kind left launch for burst; sparks: the burst drops twinkling sparks.
    void Launched(FireworkKind kind, const float launch[3], const float burst[3], bool hasBurst, bool sparks);

private:
    void PostAt(SoundId sound, double flashTime, const float position[3], float gain);

    SoundMixer& mixer_;
    // Launches come from the window thread and the frame; one producer at a time feeds the queue.
    std::mutex lock_;
    Listener listener_;
    double fixedNow_ = -1.0;
};
