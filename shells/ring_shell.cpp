// SPDX-License-Identifier: GPL-3.0-or-later
// The ring burst: flash and smoke, the jittered circle of stars, its random tilt and expansion.
#include "shells/ring_shell.h"

#include <cmath>

#include "effects/random01.h"
#include "effects/vertex_batches.h"

namespace {

constexpr double RingPi = 3.141592;

} // namespace

RingShell::RingShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                     const ColorRamp& ramp_)
    : RampedBurst(LayerRing, x, y, z, count_, duration_, speed_, ramp_)
{
}

void RingShell::Start()
{
    Open({1.0f, 4.0f, 1.0f}, {5.0f, 2.0f, 0.8f});

    stars = std::make_unique<D3DXVECTOR3[]>(static_cast<std::size_t>(count));
    const float radius = speed * 1.8f;
    for (std::int32_t i = 0; i < count; ++i) {
        const float a = static_cast<float>(2.0 * i * RingPi / count);
        // Written out one by one: the jitter is drawn x, z, y.
        const float jx = ScaledRandom(0.15, -0.075);
        const float jz = ScaledRandom(0.15, -0.075);
        const float jy = ScaledRandom(0.15, -0.075);
        stars[i] = D3DXVECTOR3(std::cos(a) * radius + jx, jy, std::sin(a) * radius + jz);
    }

    TiltAtRandom();
}

void RingShell::Update()
{
    Advance(Age(), 0.8f);
}

void RingShell::Draw()
{
    PointBatch::AddPoints(stars.get(), count, PackColor(color.r, color.g, color.b, color.a));
}
