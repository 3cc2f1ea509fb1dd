// SPDX-License-Identifier: GPL-3.0-or-later
// The bee, spiral and ring bursts: their start-up flash and smoke, star figures, expansion and
// drop, the bee's sparks, lifetimes, and the world transforms their layers draw them with.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_formats.h"
#include "shells/bee_shell.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"
#include "shells/ring_shell.h"
#include "shells/spiral_shell.h"
#include "tests/support/effect_scene.h"
#include "tests/support/effect_test_helpers.h"

namespace {

// Red and size 0.4 at the start, blue and size 0.2 at full expansion.
ColorRamp TestRamp()
{
    ColorRamp ramp;
    ramp.AddKey(0.0f, RGBA{1.0f, 0.0f, 0.0f, 1.0f}, 0.4f, 0.0f);
    ramp.AddKey(1.0f, RGBA{0.0f, 0.0f, 1.0f, 1.0f}, 0.2f, 0.0f);
    return ramp;
}

// What TestRamp gives a burst at expansion r: the drawn colour and half the ramp's size.
DWORD TestRampColor(float r)
{
    return PackColor(1.0f - r, 0.0f, r, 1.0f);
}

float TestRampPointSize(float r)
{
    return (0.4f + r * (0.2f - 0.4f)) * 0.5f;
}

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance, const std::string& what)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// The effect system on a recording device; frames run the update pass alone and drawing is asked for.
class BurstTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(scene.created, S_OK); }

    void Frame(float time, float elapsed) { scene.Update(time, elapsed); }

    // Draws the effects and returns the point draws made with the given texture.
    std::vector<DrawRecord> DrawPointsWith(EffectTexture texture)
    {
        scene.device->Clear();
        EffectsDraw();
        std::vector<DrawRecord> found;
        for (const DrawRecord* draw : DrawsWithTexture(*scene.device, texture)) {
            if (draw->state.vertexShader == ColorVertexFVF) {
                found.push_back(*draw);
            }
        }
        return found;
    }

    bool AnyPointDrawn()
    {
        scene.device->Clear();
        EffectsDraw();
        for (const DrawRecord& draw : scene.device->Draws()) {
            if (draw.state.vertexShader == ColorVertexFVF) {
                return true;
            }
        }
        return false;
    }

    EffectScene scene;
};

} // namespace

TEST_F(BurstTest, BeeSparkClockTurnsEveryTwentyMillisecondsIntoOneSparkPerBee)
{
    auto* bee = new BeeShell(0.0f, 4.0f, 0.0f, 3, 2.0f, 2.0f, TestRamp());
    SubmitFireObject(bee);
    // 50 ms on an empty clock: two steps, 10 ms left over.
    Frame(1.0f, 0.05f);
    EXPECT_EQ(CountActive(SparkPool), 3 * 2);
    EXPECT_NEAR(bee->sparkClock, 0.01f, 1e-6);
    Frame(1.015f, 0.015f);
    EXPECT_EQ(CountActive(SparkPool), 3 * 3);
    EXPECT_NEAR(bee->sparkClock, 0.005f, 1e-6);
    Frame(1.02f, 0.005f);
    EXPECT_EQ(CountActive(SparkPool), 3 * 3);

    for (const ParticleRecord* record = SparkPool.activeList; record != nullptr; record = record->next) {
        const auto* spark = static_cast<const Spark*>(record);
        EXPECT_GE(spark->life, 0.05f);
        EXPECT_LE(spark->life, 0.55f);
        EXPECT_LE(std::fabs(spark->travel.x), 0.1f);
        EXPECT_LE(std::fabs(spark->travel.y), 0.1f);
        EXPECT_LE(std::fabs(spark->travel.z), 0.1f);
        EXPECT_FALSE(spark->twinkle);
    }

    // An endless frame neither hangs nor carries its time into the next frames.
    FillParticlePools();
    Frame(1.03f, std::numeric_limits<float>::infinity());
    EXPECT_EQ(CountActive(SparkPool), SparkCapacity);
    EXPECT_EQ(bee->sparkClock, 0.0f);
    FillParticlePools();
    Frame(1.04f, 0.01f);
    EXPECT_EQ(CountActive(SparkPool), 0);
}

TEST_F(BurstTest, BeeSparksLeaveFromWhereTheBeesAreDrawn)
{
    auto* bee = new BeeShell(0.5f, 4.0f, -1.0f, 5, 2.0f, 2.0f, TestRamp());
    SubmitFireObject(bee);
    Frame(0.0f, 0.0f);
    ASSERT_EQ(CountActive(SparkPool), 0);
    // t = 0.6 with one spark step: one spark per bee, the newest (last bee's) first in the pool.
    Frame(1.2f, 0.03f);
    ASSERT_EQ(CountActive(SparkPool), 5);
    const float r = ExpansionCurve(0.6f);

    const std::vector<DrawRecord> draws = DrawPointsWith(TextureShine2);
    ASSERT_EQ(draws.size(), 1u);
    const DrawRecord& draw = draws[0];
    ASSERT_EQ(draw.vertexCount, 5u);
    const D3DXMATRIX world = WorldOf(draw);
    D3DXMATRIX expectedWorld;
    D3DXMatrixTranslation(&expectedWorld, 0.5f, 4.0f - 0.36f, -1.0f);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(world.m[row][column], expectedWorld.m[row][column], 1e-6) << row << "," << column;
        }
    }
    EXPECT_EQ(PointSizeOf(draw), bee->size);
    EXPECT_NEAR(bee->size, TestRampPointSize(r), 1e-6);

    const ParticleRecord* record = SparkPool.activeList;
    for (int i = 4; i >= 0; --i, record = record->next) {
        const auto vertex = draw.Vertex<ColorVertex>(static_cast<size_t>(i));
        const D3DXVECTOR3 drawn = TransformPoint(world, D3DXVECTOR3(vertex.x, vertex.y, vertex.z));
        ExpectNear(drawn, static_cast<const Spark*>(record)->start, 1e-5f, "bee " + std::to_string(i));
        EXPECT_EQ(vertex.color, TestRampColor(r));
    }
}

TEST_F(BurstTest, BeeSwarmCorkscrewsOutwardAndSinksUntilItsDurationEnds)
{
    auto* bee = new BeeShell(0.0f, 4.0f, 0.0f, 20, 2.0f, 2.0f, TestRamp());
    SubmitFireObject(bee);
    Frame(0.0f, 0.01f);

    int clockwise = 0;
    for (int i = 0; i < 20; ++i) {
        const D3DXVECTOR3 direction(bee->directions[i].x, bee->directions[i].y, bee->directions[i].z);
        EXPECT_NEAR(D3DXVec3Length(&direction), 2.0f, 1e-5);
        EXPECT_GE(std::fabs(bee->directions[i].w), 17.5f);
        EXPECT_LE(std::fabs(bee->directions[i].w), 22.5f);
        clockwise += bee->directions[i].w > 0.0f ? 1 : 0;
    }
    EXPECT_GT(clockwise, 0);
    EXPECT_LT(clockwise, 20);

    // Each bee circles its line of flight at a radius that swells with r, holds, and shrinks again;
    // at t = 0.5 the swarm has reached 0.65 of its speed and sunk by 0.25, at t = 1 all of it and 1.
    struct Moment {
        float time;
        float r;
        float drop;
        float swirl;
    };
    const Moment moments[] = {{0.0f, 0.0f, 0.0f, 0.01f},
                              {0.2f, 0.154f, -0.01f, 0.03464f},
                              {1.0f, 0.65f, -0.25f, 0.05f},
                              {2.0f, 1.0f, -1.0f, 0.01f}};
    for (const Moment& moment : moments) {
        Frame(moment.time, 0.01f);
        ASSERT_EQ(LayerRegistry[LayerBee]->activeList, bee) << moment.time;
        EXPECT_NEAR(bee->r, moment.r, 1e-6);
        EXPECT_NEAR(bee->drop, moment.drop, 1e-6);
        for (int i = 0; i < 20; ++i) {
            const D3DXVECTOR3 direction(bee->directions[i].x, bee->directions[i].y, bee->directions[i].z);
            const D3DXVECTOR3 offset = bee->positions[i] - direction * bee->r;
            EXPECT_NEAR(D3DXVec3Length(&offset), moment.swirl, 1e-5) << moment.time << " bee " << i;
        }
    }
    // The frame with t exactly 1 still shows it; the first one past ends it.
    EXPECT_TRUE(AnyPointDrawn());
    Frame(2.01f, 0.01f);
    EXPECT_EQ(LayerRegistry[LayerBee]->activeList, nullptr);
}

TEST_F(BurstTest, SpiralHoldsItsFullFigureForExactlyOneFramePastItsEnd)
{
    auto* spiral = new SpiralShell(1.0f, 4.0f, -2.0f, 4, 2.0f, 1.5f, TestRamp());
    SubmitFireObject(spiral);
    for (const float time : {0.0f, 0.5f, 1.0f, 1.5f, 1.75f}) {
        Frame(time, 0.25f);
        EXPECT_EQ(DrawPointsWith(TextureShine2).size(), 1u) << time;
    }
    const float lastR = ExpansionCurve(0.875f);
    const float lastDrop = -0.875f * 0.875f;

    // Past t = 1: drawn once more at full size, in the colour, size and drop of the last frame.
    Frame(2.1f, 0.35f);
    std::vector<DrawRecord> draws = DrawPointsWith(TextureShine2);
    ASSERT_EQ(draws.size(), 1u);
    const D3DXMATRIX world = WorldOf(draws[0]);
    EXPECT_FLOAT_EQ(world.m[0][0], 1.0f);
    EXPECT_FLOAT_EQ(world.m[1][1], 1.0f);
    EXPECT_FLOAT_EQ(world.m[2][2], 1.0f);
    ExpectNear(D3DXVECTOR3(world.m[3][0], world.m[3][1], world.m[3][2]), D3DXVECTOR3(1.0f, 4.0f + lastDrop, -2.0f),
               1e-6f, "hold translation");
    EXPECT_EQ(draws[0].Vertex<ColorVertex>(0).color, TestRampColor(lastR));
    EXPECT_NEAR(PointSizeOf(draws[0]), TestRampPointSize(lastR), 1e-6);

    Frame(2.2f, 0.1f);
    EXPECT_EQ(LayerRegistry[LayerSpiral]->activeList, nullptr);
    EXPECT_TRUE(DrawPointsWith(TextureShine2).empty());
}

TEST_F(BurstTest, SpiralStarsLieOnASphereThatTheWorldTransformScalesAndPlaces)
{
    auto* spiral = new SpiralShell(1.0f, 4.0f, -2.0f, 30, 2.0f, 1.5f, TestRamp());
    SubmitFireObject(spiral);
    Frame(0.0f, 0.01f);
    for (int i = 0; i < 30; ++i) {
        EXPECT_NEAR(D3DXVec3Length(&spiral->stars[i]), 1.5f, 1e-5) << i;
    }

    Frame(1.0f, 0.01f);
    const std::vector<DrawRecord> draws = DrawPointsWith(TextureShine2);
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].vertexCount, 30u);
    EXPECT_NEAR(PointSizeOf(draws[0]), TestRampPointSize(0.65f), 1e-6);
    const D3DXMATRIX world = WorldOf(draws[0]);
    for (size_t i = 0; i < 30; ++i) {
        const auto vertex = draws[0].Vertex<ColorVertex>(i);
        const D3DXVECTOR3 star(vertex.x, vertex.y, vertex.z);
        EXPECT_EQ(star, spiral->stars[i]);
        EXPECT_EQ(vertex.color, TestRampColor(0.65f));
        // r times the star, moved to the centre and dropped by t squared.
        ExpectNear(TransformPoint(world, star), star * 0.65f + D3DXVECTOR3(1.0f, 4.0f - 0.25f, -2.0f), 1e-5f,
                   "star " + std::to_string(i));
    }
}

TEST_F(BurstTest, RingIsAJitteredCircleThatTheWorldTransformScalesTiltsAndPlaces)
{
    auto* ring = new RingShell(-1.0f, 3.5f, 0.5f, 80, 1.5f, 0.5f, TestRamp());
    SubmitFireObject(ring);
    Frame(0.0f, 0.01f);

    const float jitter = 0.075f;
    for (int i = 0; i < 80; ++i) {
        const D3DXVECTOR3& star = ring->stars[i];
        EXPECT_LE(std::fabs(star.y), jitter) << i;
        const float horizontal = std::hypot(star.x, star.z);
        EXPECT_NEAR(horizontal, 0.9f, jitter * std::sqrt(2.0f)) << i;
        // 4.5 degrees apart, in order round the circle.
        const float angle = std::atan2(star.z, star.x);
        const float expected = static_cast<float>(i) * 2.0f * 3.1415927f / 80.0f;
        const float difference = std::remainder(angle - expected, 2.0f * 3.1415927f);
        EXPECT_LE(std::fabs(difference), std::asin(jitter * std::sqrt(2.0f) / 0.8f)) << i;
    }
    const D3DXQUATERNION& q = ring->orientation;
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-5);

    // At t = 0 the whole ring is one point at the burst position.
    std::vector<DrawRecord> draws = DrawPointsWith(TextureShine);
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].vertexCount, 80u);
    D3DXMATRIX world = WorldOf(draws[0]);
    for (size_t i = 0; i < 80; ++i) {
        const auto vertex = draws[0].Vertex<ColorVertex>(i);
        ExpectNear(TransformPoint(world, D3DXVECTOR3(vertex.x, vertex.y, vertex.z)), D3DXVECTOR3(-1.0f, 3.5f, 0.5f),
                   1e-6f, "t = 0, star " + std::to_string(i));
    }

    // A star p lands at rotate(r p) + (x, y + drop, z); glm's quaternion rotation is the oracle.
    const glm::quat rotation(q.w, q.x, q.y, q.z);
    for (const float t : {0.5f, 1.0f}) {
        Frame(t * 1.5f, 0.01f);
        const float r = ExpansionCurve(t);
        const float drop = -0.8f * t * t;
        draws = DrawPointsWith(TextureShine);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_NEAR(PointSizeOf(draws[0]), TestRampPointSize(r), 1e-6);
        world = WorldOf(draws[0]);
        for (size_t i = 0; i < 80; ++i) {
            const auto vertex = draws[0].Vertex<ColorVertex>(i);
            EXPECT_EQ(vertex.color, TestRampColor(r));
            const glm::vec3 turned = rotation * (r * glm::vec3(vertex.x, vertex.y, vertex.z));
            const D3DXVECTOR3 expected(turned.x - 1.0f, turned.y + 3.5f + drop, turned.z + 0.5f);
            ExpectNear(TransformPoint(world, D3DXVECTOR3(vertex.x, vertex.y, vertex.z)), expected, 1e-5f,
                       "t = " + std::to_string(t) + ", star " + std::to_string(i));
        }
    }
    Frame(1.51f, 0.01f);
    EXPECT_EQ(LayerRegistry[LayerRing]->activeList, nullptr);
}

TEST_F(BurstTest, RandomNumbersAreDrawnInTheDescribedOrder)
{
    // Replays the sequence the burst will see: the smoke puff's image takes the first number.
    std::vector<double> values;
    for (int i = 0; i < 16; ++i) {
        values.push_back(Random01());
    }

    ResetRuntimeRand();
    auto* bee = new BeeShell(0.0f, 4.0f, 0.0f, 1, 2.0f, 2.0f, TestRamp());
    SubmitFireObject(bee);
    Frame(0.0f, 0.0f);
    D3DXVECTOR3 direction(static_cast<float>(values[1] - 0.5), static_cast<float>(values[2] - 0.5),
                          static_cast<float>(values[3] - 0.5));
    D3DXVec3Normalize(&direction, &direction);
    ExpectNear(D3DXVECTOR3(bee->directions[0].x, bee->directions[0].y, bee->directions[0].z), direction * 2.0f,
               1e-6f, "bee direction");
    const float spin = static_cast<float>(values[4] * 5 + 17.5);
    EXPECT_FLOAT_EQ(bee->directions[0].w, values[5] < 0.5 ? -spin : spin);

    // The ring draws each star's jitter x, z, y, then yaw, pitch and roll.
    ResetRuntimeRand();
    auto* ring = new RingShell(0.0f, 4.0f, 0.0f, 4, 1.5f, 1.0f, TestRamp());
    SubmitFireObject(ring);
    Frame(0.0f, 0.0f);
    const auto jitter = [&](int i) { return static_cast<float>(values[static_cast<size_t>(i)] * 0.15 - 0.075); };
    ExpectNear(ring->stars[0], D3DXVECTOR3(1.8f + jitter(1), jitter(3), jitter(2)), 1e-6f, "first ring star");
    ExpectNear(ring->stars[1], D3DXVECTOR3(jitter(4), jitter(6), 1.8f + jitter(5)), 1e-6f, "second ring star");
    D3DXQUATERNION expected;
    D3DXQuaternionRotationYawPitchRoll(&expected, static_cast<float>(values[13] * 6.283184),
                                       static_cast<float>(values[14] * 6.283184),
                                       static_cast<float>(values[15] * 6.283184));
    EXPECT_FLOAT_EQ(ring->orientation.x, expected.x);
    EXPECT_FLOAT_EQ(ring->orientation.y, expected.y);
    EXPECT_FLOAT_EQ(ring->orientation.z, expected.z);
    EXPECT_FLOAT_EQ(ring->orientation.w, expected.w);
}

TEST_F(BurstTest, EmptyBurstsStillFlashAndSmokeThenEndDrawingNothing)
{
    struct Family {
        FireObject* shell;
        LayerId layer;
        float flashSize;
        float flashIntensity;
        float smokeLife;
        float smokeSize;
        float smokeIntensity;
    };
    const Family families[] = {
        {new BeeShell(1.0f, 4.0f, 2.0f, 0, 2.0f, 2.0f, TestRamp()), LayerBee, 3.0f, 0.8f, 4.0f, 1.5f, 0.8f},
        {new SpiralShell(1.0f, 4.0f, 2.0f, 0, 2.0f, 1.5f, TestRamp()), LayerSpiral, 4.0f, 1.0f, 4.0f, 2.0f, 0.6f},
        {new RingShell(1.0f, 4.0f, 2.0f, 0, 2.0f, 0.5f, TestRamp()), LayerRing, 4.0f, 1.0f, 5.0f, 2.0f, 0.8f},
    };
    for (const Family& family : families) {
        FillParticlePools();
        SubmitFireObject(family.shell);
        Frame(0.0f, 0.01f);
        ASSERT_EQ(CountActive(FlashPool), 1) << family.layer;
        const auto* flash = static_cast<const Flash*>(FlashPool.activeList);
        EXPECT_EQ(flash->position, D3DXVECTOR3(1.0f, 4.0f, 2.0f));
        EXPECT_FLOAT_EQ(flash->life, 1.0f);
        EXPECT_FLOAT_EQ(flash->size, family.flashSize);
        EXPECT_FLOAT_EQ(flash->intensity, family.flashIntensity);
        // The ramp's colour at 0 (red), desaturated to 0.3 by the pool.
        EXPECT_NEAR(flash->color.r, 0.2125f + 0.3f * (1.0f - 0.2125f), 1e-5);
        EXPECT_NEAR(flash->color.g, 0.7f * 0.2125f, 1e-5);
        EXPECT_NEAR(flash->color.b, 0.7f * 0.2125f, 1e-5);
        ASSERT_EQ(CountActive(SmokePool), 1) << family.layer;
        const auto* puff = static_cast<const SmokePuff*>(SmokePool.activeList);
        EXPECT_EQ(puff->position, D3DXVECTOR3(1.0f, 4.0f, 2.0f));
        EXPECT_FLOAT_EQ(puff->life, family.smokeLife);
        EXPECT_FLOAT_EQ(puff->size, family.smokeSize);
        EXPECT_FLOAT_EQ(puff->intensity, family.smokeIntensity);

        EXPECT_FALSE(AnyPointDrawn()) << family.layer;
        EXPECT_EQ(CountActive(SparkPool), 0);
        // Past the duration (the spiral after its held frame) the burst is gone.
        Frame(2.01f, 0.01f);
        Frame(2.02f, 0.01f);
        EXPECT_EQ(LayerRegistry[family.layer]->activeList, nullptr) << family.layer;
    }
}

TEST_F(BurstTest, NegativeCountsAndZeroDurationsNeitherCrashNorDrawGarbage)
{
    // A negative count is an empty burst.
    auto* bee = new BeeShell(0.0f, 4.0f, 0.0f, -3, 2.0f, 2.0f, TestRamp());
    auto* spiral = new SpiralShell(0.0f, 4.0f, 0.0f, -3, 2.0f, 1.5f, TestRamp());
    auto* ring = new RingShell(0.0f, 4.0f, 0.0f, -3, 1.5f, 0.5f, TestRamp());
    EXPECT_EQ(bee->count, 0);
    EXPECT_EQ(spiral->count, 0);
    EXPECT_EQ(ring->count, 0);
    SubmitFireObject(bee);
    SubmitFireObject(spiral);
    SubmitFireObject(ring);
    Frame(0.0f, 0.05f);
    EXPECT_FALSE(AnyPointDrawn());
    for (SceneLayer* layer : LayerRegistry) {
        layer->Clear();
    }

    // A zero duration: no NaN anywhere; the bee and the ring end at once, the spiral after its held frame.
    SubmitFireObject(new BeeShell(0.0f, 4.0f, 0.0f, 3, 0.0f, 2.0f, TestRamp()));
    auto* shortSpiral = new SpiralShell(0.0f, 4.0f, 0.0f, 3, 0.0f, 1.5f, TestRamp());
    SubmitFireObject(shortSpiral);
    SubmitFireObject(new RingShell(0.0f, 4.0f, 0.0f, 3, 0.0f, 0.5f, TestRamp()));
    Frame(1.0f, 0.05f);
    EXPECT_EQ(LayerRegistry[LayerBee]->activeList, nullptr);
    EXPECT_EQ(LayerRegistry[LayerRing]->activeList, nullptr);
    ASSERT_EQ(LayerRegistry[LayerSpiral]->activeList, shortSpiral);
    // Its stars never took a colour from the ramp: the held frame is black and draws no point, but
    // the placement it sets is still finite.
    EXPECT_TRUE(DrawPointsWith(TextureShine2).empty());
    int worlds = 0;
    for (const DeviceCall& call : scene.device->Calls()) {
        if (call.method != DeviceMethod::SetTransform || call.args[0] != D3DTS_WORLD) {
            continue;
        }
        ++worlds;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                EXPECT_TRUE(std::isfinite(call.matrix.m[row][column])) << row << "," << column;
            }
        }
    }
    EXPECT_GT(worlds, 0);
    Frame(1.01f, 0.01f);
    EXPECT_EQ(LayerRegistry[LayerSpiral]->activeList, nullptr);
}
