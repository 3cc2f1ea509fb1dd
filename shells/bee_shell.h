// SPDX-License-Identifier: GPL-3.0-or-later
// The bee burst: stars that fly outward, each corkscrewing about its own line of flight and
// shedding sparks, while the swarm sinks and follows its colour ramp. Drawn by layer 2.
#pragma once

#include <cstdint>
#include <memory>

#include "d3dx/d3dx_math.h"
#include "shells/ramped_burst.h"

class BeeShell : public RampedBurst {
public:
    // A negative count is taken as 0.
    BeeShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_, const ColorRamp& ramp_);

    void Start() override;
    void Update() override;
    void Draw() override;

    // x, y, z: direction times speed; w: spin, in half-turns over the whole expansion.
    std::unique_ptr<D3DXVECTOR4[]> directions;
    // Current position of each bee relative to the centre.
    std::unique_ptr<D3DXVECTOR3[]> positions;
    // Elapsed time not yet turned into sparks.
    float sparkClock = 0.0f;
};

// Seconds of elapsed time per spark of each bee.
constexpr float BeeSparkStep = 0.02f;
