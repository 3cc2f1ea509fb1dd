// SPDX-License-Identifier: GPL-3.0-or-later
// The ring burst: flash and smoke, the jittered circle of stars, its random tilt and expansion.
#include "effects/ring_shell.h"

#include <algorithm>
#include <cmath>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"

namespace {

constexpr double RingPi = 3.141592;
constexpr double FullTurn = 6.283184;

float ScaledRandom(double scale, double offset)
{
    return static_cast<float>(Random01() * scale + offset);
}

} // namespace

RingShell::RingShell(float x, float y, float z, std::int32_t count_, float duration_, float speed_,
                     const ColorRamp& ramp_)
    : FireObject(LayerRing, duration_), centre(x, y, z), count(std::max(count_, 0)), speed(speed_), ramp(ramp_)
{
}

void RingShell::Start()
{
    RGBA c0{0.0f, 0.0f, 0.0f, 0.0f};
    ramp.Evaluate(0.0f, &c0, nullptr, nullptr);
    SpawnFlash(centre.x, centre.y, centre.z, 1.0f, 4.0f, 1.0f, D3DXCOLOR(c0.r, c0.g, c0.b, c0.a));
    SpawnSmoke(centre.x, centre.y, centre.z, 5.0f, 2.0f, 0.8f);

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

    const float yaw = static_cast<float>(Random01() * FullTurn);
    const float pitch = static_cast<float>(Random01() * FullTurn);
    const float roll = static_cast<float>(Random01() * FullTurn);
    D3DXQuaternionRotationYawPitchRoll(&orientation, yaw, pitch, roll);
}

void RingShell::Update()
{
    const float t = (Effects.time - birthTime) / duration;
    // A zero or negative duration has no life to show.
    if (!(duration > 0.0f) || t > 1.0f) {
        dead = true;
        return;
    }
    r = ExpansionCurve(t);
    drop = -0.8f * t * t;
    // A ramp of fewer than two keys writes nothing: the stars then keep their colour at size 0.
    float rampSize = 0.0f;
    ramp.Evaluate(r, &color, &rampSize, nullptr);
    size = rampSize * 0.5f;
}

void RingShell::Draw()
{
    PointBatch::AddPoints(stars.get(), count, PackColor(color.r, color.g, color.b, color.a));
}

void RingShell::GetPose(BurstPose& pose) const
{
    pose.pointSize = size;
    pose.centre = centre;
    pose.drop = drop;
    pose.radius = r;
    pose.orientation = orientation;
}
