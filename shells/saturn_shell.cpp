// SPDX-License-Identifier: GPL-3.0-or-later
// The Saturn burst: flash and smoke at the centre, a sphere and a ring of stars that swell and sink.
#include "shells/saturn_shell.h"

#include <cmath>

#include "effects/random01.h"
#include "effects/vertex_batches.h"
#include "shells/sphere_star_pattern.h"

namespace {

float Jitter()
{
    return static_cast<float>(Random01() * 0.05 - 0.025);
}

} // namespace

SaturnShell::SaturnShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                         const ColorRamp& sphereRamp_, const ColorRamp& ringRamp_)
    : RampedBurst(LayerSaturn, x, y, z, count_, duration_, speed_, sphereRamp_), ringRamp(ringRamp_)
{
}

void SaturnShell::Start()
{
    Open({0.8f, 3.0f, 1.0f}, {5.0f, 2.0f, 0.9f});

    D3DXVECTOR3* sphere = nullptr;
    SphereStarPattern(count, speed, sphere, sphereStars);
    spherePositions.reset(sphere);

    // The ring follows the pattern's density limit, which also keeps 2 × count from overflowing.
    if (count > 0 && count <= SphereStarPatternMaxCount) {
        const int ringStars = 2 * count;
        ringPositions = std::make_unique<D3DXVECTOR3[]>(static_cast<std::size_t>(ringStars));
        for (int i = 0; i < ringStars; ++i) {
            const float a = static_cast<float>(i) * 3.141592f / static_cast<float>(count);
            const float jx = Jitter();
            const float jz = Jitter();
            const float jy = Jitter();
            ringPositions[i] = D3DXVECTOR3(std::cos(a) * speed * 1.8f + jx, jy, std::sin(a) * speed * 1.8f + jz);
        }
    }

    TiltAtRandom();
}

int SaturnShell::RingStars() const
{
    return ringPositions ? 2 * count : 0;
}

void SaturnShell::Update()
{
    if (Advance(Age(), 0.8f)) {
        ringRamp.Evaluate(r, &ringColor, nullptr, nullptr);
    }
}

void SaturnShell::Draw()
{
    PointBatch::AddPoints(spherePositions.get(), sphereStars, PackColor(color.r, color.g, color.b, color.a));
    PointBatch::AddPoints(ringPositions.get(), RingStars(), PackColor(ringColor.r, ringColor.g, ringColor.b, ringColor.a));
}
