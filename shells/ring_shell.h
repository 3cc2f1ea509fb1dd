// SPDX-License-Identifier: GPL-3.0-or-later
// The ring burst: one randomly tilted circle of close stars that widens from the burst point,
// follows its colour ramp and sinks. Drawn by layer 6.
#pragma once

#include <cstdint>
#include <memory>

#include "d3dx/d3dx_math.h"
#include "shells/ramped_burst.h"

// The ring's radius at full expansion is 1.8 times speed.
class RingShell : public RampedBurst {
public:
    // A negative count is taken as 0.
    RingShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_, const ColorRamp& ramp_);

    void Start() override;
    void Update() override;
    void Draw() override;

    // Stars in the ring's own plane (y jitter only); the layer scales, tilts and places them.
    std::unique_ptr<D3DXVECTOR3[]> stars;
};
