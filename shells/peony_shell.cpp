// SPDX-License-Identifier: GPL-3.0-or-later
// The peony burst: flash and smoke at the start, a randomly turned star sphere, sparks at the end.
#include "shells/peony_shell.h"

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"
#include "shells/sphere_star_pattern.h"

PeonyShell::PeonyShell(float x, float y, float z, std::int32_t starDensity_, float duration_, float speed_,
                       const ColorRamp& ramp_, bool dropSparks_)
    : FireObject(LayerPeony, duration_), position(x, y, z), starDensity(starDensity_), speed(speed_),
      ramp(ramp_), dropSparks(dropSparks_)
{
}

void PeonyShell::Start()
{
    D3DXVECTOR3* points = nullptr;
    int count = 0;
    SphereStarPattern(starDensity, speed, points, count);
    starPoints.reset(points);
    starCount = count;

    RGBA burst{0.0f, 0.0f, 0.0f, 0.0f};
    ramp.Evaluate(0.0f, &burst, nullptr, nullptr);
    SpawnFlash(position.x, position.y, position.z, 1.0f, 6.0f, 1.0f, D3DXCOLOR(burst.r, burst.g, burst.b, burst.a));
    SpawnSmoke(position.x, position.y, position.z, 5.0f, 2.0f, 1.0f);

    // Each angle lies in 0..1 radian, so the tilt is modest rather than a full turn.
    const float pitch = static_cast<float>(Random01());
    const float yaw = static_cast<float>(Random01());
    const float roll = static_cast<float>(Random01());
    D3DXQuaternionRotationYawPitchRoll(&rotation, yaw, pitch, roll);
}

void PeonyShell::Update()
{
    const float t = (Effects.time - birthTime) / duration;
    // A zero duration gives a NaN age in the admission frame; it ends there rather than drawing NaNs.
    if (!(t <= 1.0f)) {
        dead = true;
        if (dropSparks) {
            // The sparks take the stored, unrotated and unscaled pattern, one unit below the centre.
            for (int i = 0; i < starCount; ++i) {
                const D3DXVECTOR3& p = starPoints[i];
                const float life = static_cast<float>(Random01() * 2.0);
                SpawnSpark(position.x + p.x, position.y + p.y - 1.0f, position.z + p.z, 0.0f, 0.0f, 0.0f, life, true);
            }
        }
        return;
    }
    expansion = ExpansionCurve(t);
    drop = -t * t;
    ramp.Evaluate(expansion, &color, &size, nullptr);
}

void PeonyShell::Draw()
{
    PointBatch::AddPoints(starPoints.get(), starCount, PackColor(color.r, color.g, color.b, color.a));
}

void PeonyShell::GetPose(BurstPose& pose) const
{
    pose.pointSize = size;
    pose.centre = position;
    pose.drop = drop;
    pose.radius = expansion;
    pose.orientation = rotation;
}
