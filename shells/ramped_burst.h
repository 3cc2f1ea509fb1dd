// SPDX-License-Identifier: GPL-3.0-or-later
// RampedBurst: the base of the bee, Saturn, spiral and ring bursts, a figure of stars about a centre
// that swells along the expansion curve, sinks, and takes its colour and star size from one ramp.
#pragma once

#include <cstdint>

#include "d3dx/d3dx_math.h"
#include "effects/fire_object.h"
#include "shells/color_ramp.h"

// One of the puffs a burst leaves at its centre as it opens.
struct BurstPuff {
    float life;
    float size;
    float intensity;
};

class RampedBurst : public FireObject {
public:
    // A negative count is taken as 0.
    RampedBurst(LayerId layer, float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                const ColorRamp& ramp_);

    void GetPose(BurstPose& pose) const override;

    D3DXVECTOR3 centre;
    std::int32_t count;
    float speed;
    ColorRamp ramp;
    RGBA color{0.0f, 0.0f, 0.0f, 0.0f};
    // Half the ramp's star size; the layer turns it into the point size.
    float size = 0.0f;
    // The expansion this frame, 0 to 1.
    float r = 0.0f;
    float drop = 0.0f;
    // Upright unless the family tilts its figure at random.
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};

protected:
    // The flash, in the ramp's colour at its start, and the smoke, both at the centre.
    void Open(const BurstPuff& flash, const BurstPuff& smoke) const;
    // Turns the figure by a random yaw, pitch and roll, each a full turn at most.
    void TiltAtRandom();
    // The age as a fraction of the duration.
    float Age() const;
    // Past the end, or no life to show at all (a duration that is not positive).
    bool Ended(float t) const { return !(duration > 0.0f) || t > 1.0f; }
    // The expansion, the drop (sink times t squared) and the ramp's colour and half size at age t.
    // A ramp of fewer than two keys writes no colour, and the size is then 0.
    void Expand(float t, float sink);
    // Expands to age t and returns true; once the burst has ended, marks it dead and returns false.
    bool Advance(float t, float sink);
};
