// SPDX-License-Identifier: GPL-3.0-or-later
// The ring burst: one randomly tilted circle of close stars that widens from the burst point,
// follows its colour ramp and sinks. Drawn by layer 6.
#pragma once

#include <cstdint>
#include <memory>

#include "d3dx/d3dx_math.h"
#include "effects/fire_object.h"
#include "shells/color_ramp.h"

class RingShell : public FireObject {
public:
    // A negative count is taken as 0.
    RingShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_, const ColorRamp& ramp_);

    void Start() override;
    void Update() override;
    void Draw() override;
    void GetPose(BurstPose& pose) const override;

    D3DXVECTOR3 centre;
    std::int32_t count;
    // The ring's radius at full expansion is 1.8 times speed.
    float speed;
    ColorRamp ramp;
    RGBA color{0.0f, 0.0f, 0.0f, 0.0f};
    float size = 0.0f;
    // Stars in the ring's own plane (y jitter only); the layer scales, tilts and places them.
    std::unique_ptr<D3DXVECTOR3[]> stars;
    float r = 0.0f;
    float drop = 0.0f;
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
};
