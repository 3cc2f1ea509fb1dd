// SPDX-License-Identifier: GPL-3.0-or-later
// The shared opening, tilt, expansion and pose of the ramped bursts.
#include "shells/ramped_burst.h"

#include <algorithm>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"

namespace {

constexpr double FullTurn = 6.283184;

} // namespace

RampedBurst::RampedBurst(LayerId layer, float x, float y, float z, std::int32_t count_, float duration_,
                         float speed_, const ColorRamp& ramp_)
    : FireObject(layer, duration_), centre(x, y, z), count(std::max(count_, 0)), speed(speed_), ramp(ramp_)
{
}

void RampedBurst::Open(const BurstPuff& flash, const BurstPuff& smoke) const
{
    RGBA c0{0.0f, 0.0f, 0.0f, 0.0f};
    ramp.Evaluate(0.0f, &c0, nullptr, nullptr);
    SpawnFlash(centre.x, centre.y, centre.z, flash.life, flash.size, flash.intensity, D3DXCOLOR(c0.r, c0.g, c0.b, c0.a));
    SpawnSmoke(centre.x, centre.y, centre.z, smoke.life, smoke.size, smoke.intensity);
}

void RampedBurst::TiltAtRandom()
{
    // Drawn one by one: yaw, pitch, roll is the order of the random sequence.
    const float yaw = static_cast<float>(Random01() * FullTurn);
    const float pitch = static_cast<float>(Random01() * FullTurn);
    const float roll = static_cast<float>(Random01() * FullTurn);
    D3DXQuaternionRotationYawPitchRoll(&orientation, yaw, pitch, roll);
}

float RampedBurst::Age() const
{
    return (Effects.time - birthTime) / duration;
}

void RampedBurst::Expand(float t, float sink)
{
    r = ExpansionCurve(t);
    drop = -sink * t * t;
    float rampSize = 0.0f;
    ramp.Evaluate(r, &color, &rampSize, nullptr);
    size = rampSize * 0.5f;
}

bool RampedBurst::Advance(float t, float sink)
{
    if (Ended(t)) {
        dead = true;
        return false;
    }
    Expand(t, sink);
    return true;
}

void RampedBurst::GetPose(BurstPose& pose) const
{
    pose.pointSize = size;
    pose.centre = centre;
    pose.drop = drop;
    pose.radius = r;
    pose.orientation = orientation;
}
