// SPDX-License-Identifier: GPL-3.0-or-later
// The Saturn burst: flash and smoke at the centre, a sphere and a ring of stars that swell and sink.
#include "effects/saturn_shell.h"

#include <cmath>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/sphere_star_pattern.h"
#include "effects/vertex_batches.h"

namespace {

float Jitter()
{
    return static_cast<float>(Random01() * 0.05 - 0.025);
}

float RandomAngle()
{
    return static_cast<float>(Random01() * 6.283184);
}

} // namespace

SaturnShell::SaturnShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                         const ColorRamp& sphereRamp_, const ColorRamp& ringRamp_)
    : FireObject(LayerSaturn, duration_), centre(x, y, z), count(count_), speed(speed_), sphereRamp(sphereRamp_),
      ringRamp(ringRamp_)
{
}

void SaturnShell::Start()
{
    RGBA burst{};
    sphereRamp.Evaluate(0.0f, &burst, nullptr, nullptr);
    SpawnFlash(centre.x, centre.y, centre.z, 0.8f, 3.0f, 1.0f, D3DXCOLOR(burst.r, burst.g, burst.b, burst.a));
    SpawnSmoke(centre.x, centre.y, centre.z, 5.0f, 2.0f, 0.9f);

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

    const float yaw = RandomAngle();
    const float pitch = RandomAngle();
    const float roll = RandomAngle();
    D3DXQuaternionRotationYawPitchRoll(&orientation, yaw, pitch, roll);
}

int SaturnShell::RingStars() const
{
    return ringPositions ? 2 * count : 0;
}

void SaturnShell::Update()
{
    const float t = (Effects.time - birthTime) / duration;
    // A duration that is not positive would never reach t > 1; such a shell ends at once.
    if (t > 1.0f || !(duration > 0.0f)) {
        dead = true;
        return;
    }
    r = ExpansionCurve(t);
    drop = -0.8f * t * t;
    sphereRamp.Evaluate(r, &sphereColor, &sphereSize, nullptr);
    ringRamp.Evaluate(r, &ringColor, nullptr, nullptr);
    sphereSize = sphereSize * 0.5f;
}

void SaturnShell::Draw()
{
    PointBatch::AddPoints(spherePositions.get(), sphereStars,
                          PackColor(sphereColor.r, sphereColor.g, sphereColor.b, sphereColor.a));
    PointBatch::AddPoints(ringPositions.get(), RingStars(), PackColor(ringColor.r, ringColor.g, ringColor.b, ringColor.a));
}

void SaturnShell::GetPose(BurstPose& pose) const
{
    pose.pointSize = sphereSize;
    pose.centre = centre;
    pose.drop = drop;
    pose.radius = r;
    pose.orientation = orientation;
}
