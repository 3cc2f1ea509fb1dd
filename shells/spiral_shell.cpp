// SPDX-License-Identifier: GPL-3.0-or-later
// The spiral burst: flash and smoke, random star directions, expansion and the held last frame.
#include "shells/spiral_shell.h"

#include "effects/random01.h"
#include "effects/vertex_batches.h"

SpiralShell::SpiralShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                         const ColorRamp& ramp_)
    : RampedBurst(LayerSpiral, x, y, z, count_, duration_, speed_, ramp_)
{
}

void SpiralShell::Start()
{
    Open({1.0f, 4.0f, 1.0f}, {4.0f, 2.0f, 0.6f});

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
    const float t = Age();
    if (Ended(t)) {
        if (finished) {
            dead = true;
            return;
        }
        // Hold the full figure one more frame, in the colour, size and drop of the last one.
        finished = true;
        r = 1.0f;
        return;
    }
    Expand(t, 1.0f);
}

void SpiralShell::Draw()
{
    PointBatch::AddPoints(stars.get(), count, PackColor(color.r, color.g, color.b, color.a));
}
