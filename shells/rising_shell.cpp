// SPDX-License-Identifier: GPL-3.0-or-later
// The rising shell's climb, trail, smoke and hand-over of its payload.
#include "shells/rising_shell.h"

#include <cmath>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"
#include "shells/layer_registry.h"

namespace {

constexpr float Pi = 3.1415927f;
constexpr float SmokeInterval = 0.05f;

} // namespace

RisingShell::RisingShell(float startX, float startY, float startZ, float endX, float endY, float endZ,
                         FireObject* payload_)
    : FireObject(LayerRisingShell),
      start(startX, startY, startZ),
      end(endX, endY, endZ),
      position(startX, startY, startZ),
      payload(payload_)
{
}

RisingShell::~RisingShell()
{
    // A shell removed before it arrived still owns its burst.
    delete payload;
}

void RisingShell::Start()
{
    duration = RisingShellClimbSeconds(start.y, end.y);
    trailClock = 0.0f;
    nextSmoke = 0.0f;
    wobbleFrequency = static_cast<float>((Random01() + 1.0) * 10.0);
    wobbleAmplitude = ScaledRandom(0.02, 0.01);
    envelopeFrequency = ScaledRandom(2.0, 1.0);
}

void RisingShell::Update()
{
    const float age = Effects.time - birthTime;
    const float t = age / duration;
    // An end not above the start gives no climb (and a zero or negative duration): arrive at once.
    if (!(duration > 0.0f) || !(t < 1.0f)) {
        if (payload != nullptr) {
            FireObject* burst = payload;
            payload = nullptr;
            SubmitFireObject(burst);
        }
        dead = true;
        return;
    }

    const float x0 = start.x + t * (end.x - start.x);
    const float z0 = start.z + t * (end.z - start.z);
    const float y = start.y + ExpansionCurve(t) * (end.y - start.y);
    const float angle = t * wobbleFrequency * Pi;
    const float envelope = std::sin(t * envelopeFrequency * Pi);
    position.x = x0 + std::sin(angle) * wobbleAmplitude * envelope;
    position.y = y;
    position.z = z0 + std::cos(angle) * wobbleAmplitude * envelope;

    trailClock += Effects.elapsed;
    // More sparks than the pool holds in one frame would only recycle each other; the count also
    // bounds the loop when a frame time is huge or infinite.
    for (int spawned = 0; trailClock > RisingShellTrailStep && spawned < SparkCapacity; ++spawned) {
        trailClock -= RisingShellTrailStep;
        // Written out one by one: the draws must come in this order.
        const float ox = ScaledRandom(0.01, -0.005);
        const float oy = ScaledRandom(0.01, -0.005);
        const float oz = ScaledRandom(0.01, -0.005);
        const float tx = ScaledRandom(0.2, -0.1);
        const float ty = ScaledRandom(0.2, -0.1);
        const float tz = ScaledRandom(0.2, -0.1);
        const float life = ScaledRandom(0.5, 0.25);
        SpawnSpark(position.x + ox, position.y + oy, position.z + oz, tx, ty, tz, life, false);
    }
    // Time beyond the cap (or a NaN frame time) is dropped rather than carried into later frames.
    if (!(trailClock <= RisingShellTrailStep)) {
        trailClock = 0.0f;
    }

    // At most one puff a frame: a slow frame rate thins the column instead of bunching it.
    if (age > nextSmoke) {
        const float life = ScaledRandom(1.0, 1.5);
        const float intensity = ScaledRandom(0.2, 0.5);
        SpawnSmoke(position.x, position.y, position.z, life, 0.05f, intensity);
        nextSmoke += SmokeInterval;
    }
}

void RisingShell::Draw()
{
    ColorVertex* vertex = PointBatch::NextPoint();
    vertex->x = position.x;
    vertex->y = position.y;
    vertex->z = position.z;
    vertex->color = RisingShellColor;
}
