// SPDX-License-Identifier: GPL-3.0-or-later
// The spiral burst: stars thrown in random directions that swell outward together, follow their
// colour ramp and sink; the full figure is held for one extra frame. Drawn by layer 4.
#pragma once

#include <cstdint>
#include <memory>

#include "d3dx/d3dx_math.h"
#include "shells/ramped_burst.h"

class SpiralShell : public RampedBurst {
public:
    // A negative count is taken as 0.
    SpiralShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                const ColorRamp& ramp_);

    void Start() override;
    void Update() override;
    void Draw() override;

    // Set by the first update past the duration; the next one ends the shell.
    bool finished = false;
    // Direction times speed for each star; the layer scales them by r.
    std::unique_ptr<D3DXVECTOR3[]> stars;
};
