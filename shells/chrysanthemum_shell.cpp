// SPDX-License-Identifier: GPL-3.0-or-later
// The chrysanthemum burst: flash, smoke, a sphere of stars, and per frame each star's head and trail.
#include "shells/chrysanthemum_shell.h"

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "shells/sphere_star_pattern.h"

ChrysanthemumShell::ChrysanthemumShell(float x, float y, float z, std::int32_t starDensity_, float duration_,
                                       float speed_, const ColorRamp& ramp_)
    : FireObject(LayerChrysanthemum, duration_), position(x, y, z), starDensity(starDensity_), speed(speed_),
      ramp(ramp_)
{
}

void ChrysanthemumShell::Start()
{
    RGBA burst{};
    ramp.Evaluate(0.0f, &burst, nullptr, nullptr);
    SpawnFlash(position.x, position.y, position.z, 0.9f, 5.0f, 1.0f, D3DXCOLOR(burst.r, burst.g, burst.b, burst.a));
    SpawnSmoke(position.x, position.y, position.z, 5.0f, 2.0f, 1.0f);

    D3DXVECTOR3* velocities = nullptr;
    int count = 0;
    SphereStarPattern(starDensity, speed, velocities, count);
    const std::unique_ptr<D3DXVECTOR3[]> pattern(velocities);
    starCount = count;
    if (count == 0) {
        return;
    }
    // Value-initialised, so a star read before its first position update sits at the origin, not in garbage.
    stars = std::make_unique<ChrysanthemumStar[]>(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ChrysanthemumStar& star = stars[i];
        star.velocity = pattern[i];
        D3DXVECTOR3 horizontal(pattern[i].x, 0.0f, pattern[i].z);
        D3DXVec3Normalize(&horizontal, &horizontal);
        // The components are swapped without negation, as the show has always drawn its ribbons.
        star.side = D3DXVECTOR3(horizontal.z, 0.0f, horizontal.x) * 0.5f;
    }
}

void ChrysanthemumShell::Update()
{
    // A duration that is not positive would never reach t > 1; such a shell ends at once.
    if (!(duration > 0.0f)) {
        dead = true;
        return;
    }
    const float t = (Effects.time - birthTime) / duration;
    if (t == 0.0f) {
        return;
    }
    if (t > 1.0f) {
        dead = true;
        return;
    }
    drop = -t * t;
    expansion = ExpansionCurve(t);
    ramp.Evaluate(expansion, &color, &size, &trail);

    const float d = t * trail * 0.25f;
    const float t1 = t - d;
    const float t2 = t - 2.0f * d;
    const float t3 = t - 3.0f * d;
    const float e1 = ExpansionCurve(t1);
    const float e2 = ExpansionCurve(t2);
    const float e3 = ExpansionCurve(t3);
    const D3DXVECTOR3 down(0.0f, size, 0.0f);

    for (int i = 0; i < starCount; ++i) {
        ChrysanthemumStar& star = stars[i];
        const D3DXVECTOR3& v = star.velocity;
        star.head = position + expansion * v;
        star.head.y += drop;
        star.trailPoint1 = position + e1 * v;
        star.trailPoint1.y += -(t1 * t1);
        star.trailPoint2 = position + e2 * v;
        star.trailPoint2.y += -(t2 * t2);
        star.trailPoint3 = position + e3 * v;
        star.trailPoint3.y += -(t3 * t3);
        star.trailPoint1Low = star.trailPoint1 - down;
        star.trailPoint2Low = star.trailPoint2 - down;
        const D3DXVECTOR3 width = size * star.side;
        star.trailPoint1Plus = star.trailPoint1 + width;
        star.trailPoint1Minus = star.trailPoint1 - width;
        star.trailPoint2Plus = star.trailPoint2 + width;
        star.trailPoint2Minus = star.trailPoint2 - width;
    }
}
