// SPDX-License-Identifier: GPL-3.0-or-later
// SaturnShell: the Saturn burst, a sphere of stars inside a ring of a second colour, tilted at random.
#pragma once

#include <cstdint>
#include <memory>

#include "shells/ramped_burst.h"

// The base's ramp, colour and size are the sphere's; the ring has its own ramp and colour.
class SaturnShell : public RampedBurst {
public:
    // The ring holds 2 × count stars at 1.8 × speed; the sphere comes from SphereStarPattern(count, speed).
    SaturnShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                const ColorRamp& sphereRamp_, const ColorRamp& ringRamp_);

    void Start() override;
    void Update() override;
    // Sphere stars, then ring stars, in the figure's own coordinates; layer 3 places the figure.
    void Draw() override;
    // Stars in the ring: 2 × count once Start has placed them, else 0.
    int RingStars() const;

    std::int32_t sphereStars = 0;
    ColorRamp ringRamp;
    RGBA ringColor{};
    std::unique_ptr<D3DXVECTOR3[]> spherePositions;
    std::unique_ptr<D3DXVECTOR3[]> ringPositions;
};
