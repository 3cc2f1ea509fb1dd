// SPDX-License-Identifier: GPL-3.0-or-later
// PeonyShell: the 牡丹 burst, a sphere of point-sprite stars that one world matrix per frame
// swells, turns and lets fall; it may leave a twinkling spark at every star when it ends.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/fire_object.h"
#include "shells/color_ramp.h"

class PeonyShell : public FireObject {
public:
    PeonyShell(float x, float y, float z, std::int32_t starDensity_, float duration_, float speed_,
               const ColorRamp& ramp_, bool dropSparks_);

    void Start() override;
    void Update() override;
    void Draw() override;
    // Size, centre, drop, expansion and orientation, for the layer's point size and world matrix.
    void GetPose(BurstPose& pose) const override;

    D3DXVECTOR3 position;
    std::int32_t starDensity;
    std::int32_t starCount = 0;
    float speed;
    ColorRamp ramp;
    RGBA color{0.0f, 0.0f, 0.0f, 0.0f};
    float size = 0.0f;
    // The fixed pattern in object space, kept for the whole life; null until Start.
    std::unique_ptr<D3DXVECTOR3[]> starPoints;
    float expansion = 0.0f;
    float drop = 0.0f;
    bool dropSparks;
    D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 1.0f};
};
