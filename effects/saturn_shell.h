// SPDX-License-Identifier: GPL-3.0-or-later
// SaturnShell: the Saturn burst, a sphere of stars inside a ring of a second colour, tilted at random.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/fire_object.h"
#include "shells/color_ramp.h"

class SaturnShell : public FireObject {
public:
    // The ring holds 2 × count stars at 1.8 × speed; the sphere comes from SphereStarPattern(count, speed).
    SaturnShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                const ColorRamp& sphereRamp_, const ColorRamp& ringRamp_);

    void Start() override;
    void Update() override;
    // Sphere stars, then ring stars, in the figure's own coordinates; layer 3 places the figure.
    void Draw() override;
    void GetPose(BurstPose& pose) const override;
    // Stars in the ring: 2 × count once Start has placed them, else 0.
    int RingStars() const;

    D3DXVECTOR3 centre;
    std::int32_t count;
    std::int32_t sphereStars = 0;
    float speed;
    ColorRamp sphereRamp;
    ColorRamp ringRamp;
    float sphereSize = 0.0f;
    RGBA sphereColor{};
    RGBA ringColor{};
    std::unique_ptr<D3DXVECTOR3[]> spherePositions;
    std::unique_ptr<D3DXVECTOR3[]> ringPositions;
    float r = 0.0f;
    float drop = 0.0f;
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
};
