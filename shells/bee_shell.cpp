// SPDX-License-Identifier: GPL-3.0-or-later
// The bee burst: start-up flash and smoke, the corkscrew flight and its sparks.
#include "shells/bee_shell.h"

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"

namespace {

constexpr float SpinPi = 3.141592f;

// The corkscrew radius: swells from 0.01 to 0.05, holds, and shrinks back to 0.01 at full expansion.
float SwirlRadius(float r)
{
    if (r < 0.25f) {
        return 0.01f + 0.16f * r;
    }
    if (r < 0.75f) {
        return 0.05f;
    }
    return 0.05f - 0.16f * (r - 0.75f);
}

} // namespace

BeeShell::BeeShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                   const ColorRamp& ramp_)
    : RampedBurst(LayerBee, x, y, z, count_, duration_, speed_, ramp_)
{
}

void BeeShell::Start()
{
    Open({1.0f, 3.0f, 0.8f}, {4.0f, 1.5f, 0.8f});

    directions = std::make_unique<D3DXVECTOR4[]>(static_cast<std::size_t>(count));
    positions = std::make_unique<D3DXVECTOR3[]>(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const float vx = ScaledRandom(1.0, -0.5);
        const float vy = ScaledRandom(1.0, -0.5);
        const float vz = ScaledRandom(1.0, -0.5);
        const D3DXVECTOR3 v(vx, vy, vz);
        D3DXVECTOR3 direction;
        D3DXVec3Normalize(&direction, &v);
        direction *= speed;
        float spin = ScaledRandom(5.0, 17.5);
        if (Random01() < 0.5) {
            spin = -spin;
        }
        directions[i] = D3DXVECTOR4{direction.x, direction.y, direction.z, spin};
        positions[i] = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    sparkClock = 0.0f;
}

void BeeShell::Update()
{
    const float t = Age();
    if (!Advance(t, 1.0f)) {
        return;
    }
    const float rBehind = ExpansionCurve(t - 0.1f);

    sparkClock += Effects.elapsed;
    // A bee never emits more sparks in one frame than the pool holds; the cap also bounds the loop
    // when a frame time is huge or infinite, and the time beyond it (or a NaN) is dropped.
    int n = 0;
    while (sparkClock > BeeSparkStep && n < SparkCapacity) {
        sparkClock -= BeeSparkStep;
        ++n;
    }
    if (!(sparkClock <= BeeSparkStep)) {
        sparkClock = 0.0f;
    }

    const D3DXVECTOR3 swirl(SwirlRadius(r), 0.0f, 0.0f);
    for (std::int32_t i = 0; i < count; ++i) {
        const D3DXVECTOR3 direction(directions[i].x, directions[i].y, directions[i].z);
        D3DXVECTOR3 p = direction * r;
        const D3DXVECTOR3 q = direction * rBehind;
        // The bee circles its own line of flight.
        const D3DXVECTOR3 axis = p - q;
        D3DXMATRIX rotation;
        D3DXMatrixRotationAxis(&rotation, &axis, directions[i].w * r * SpinPi);
        D3DXVECTOR3 offset;
        D3DXVec3TransformCoord(&offset, &swirl, &rotation);
        p += offset;
        positions[i] = p;
        for (int k = 0; k < n; ++k) {
            const float tx = ScaledRandom(0.2, -0.1);
            const float ty = ScaledRandom(0.2, -0.1);
            const float tz = ScaledRandom(0.2, -0.1);
            const float life = ScaledRandom(0.5, 0.05);
            SpawnSpark(centre.x + p.x, centre.y + p.y + drop, centre.z + p.z, tx, ty, tz, life, false);
        }
    }
}

void BeeShell::Draw()
{
    PointBatch::AddPoints(positions.get(), count, PackColor(color.r, color.g, color.b, color.a));
}
