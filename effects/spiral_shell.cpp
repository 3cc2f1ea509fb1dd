// SPDX-License-Identifier: GPL-3.0-or-later
// The spiral burst: flash and smoke, random star directions, expansion and the held last frame.
#include "effects/spiral_shell.h"

#include <algorithm>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"

SpiralShell::SpiralShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                         const ColorRamp& ramp_)
    : FireObject(LayerSpiral, duration_), centre(x, y, z), count(std::max(count_, 0)), speed(speed_), ramp(ramp_)
{
}

void SpiralShell::Start()
{
    RGBA c0{0.0f, 0.0f, 0.0f, 0.0f};
    ramp.Evaluate(0.0f, &c0, nullptr, nullptr);
    SpawnFlash(centre.x, centre.y, centre.z, 1.0f, 4.0f, 1.0f, D3DXCOLOR(c0.r, c0.g, c0.b, c0.a));
    SpawnSmoke(centre.x, centre.y, centre.z, 4.0f, 2.0f, 0.6f);

    stars = std::make_unique<D3DXVECTOR3[]>(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        // Written out one by one: the draws must come in this order.
        const float vx = static_cast<float>(Random01() - 0.5);
        const float vy = static_cast<float>(Random01() - 0.5);
        const float vz = static_cast<float>(Random01() - 0.5);
        const D3DXVECTOR3 v(vx, vy, vz);
        D3DXVec3Normalize(&stars[i], &v);
        stars[i] *= speed;
    }
    finished = false;
}

void SpiralShell::Update()
{
    const float t = (Effects.time - birthTime) / duration;
    // A zero or negative duration counts as already past its end.
    if (!(duration > 0.0f) || t > 1.0f) {
        if (finished) {
            dead = true;
            return;
        }
        // Hold the full figure one more frame, in the colour, size and drop of the last one.
        finished = true;
        r = 1.0f;
        return;
    }
    r = ExpansionCurve(t);
    drop = -t * t;
    // A ramp of fewer than two keys writes nothing: the stars then keep their colour at size 0.
    float rampSize = 0.0f;
    ramp.Evaluate(r, &color, &rampSize, nullptr);
    size = rampSize * 0.5f;
}

void SpiralShell::Draw()
{
    PointBatch::AddPoints(stars.get(), count, PackColor(color.r, color.g, color.b, color.a));
}

void SpiralShell::GetPose(BurstPose& pose) const
{
    pose.pointSize = size;
    pose.centre = centre;
    pose.drop = drop;
    pose.radius = r;
    pose.orientation = D3DXQUATERNION{0.0f, 0.0f, 0.0f, 1.0f};
}
