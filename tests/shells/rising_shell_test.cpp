// SPDX-License-Identifier: GPL-3.0-or-later
// The rising shell: its path and wobble, the trail and smoke it leaves, the hand-over of its
// payload, and how layer 0 draws it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/vertex_formats.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"
#include "shells/rising_shell.h"
#include "tests/support/effect_scene.h"
#include "tests/support/effect_test_helpers.h"

namespace {

// A burst stand-in that reports what its layer did with it.
struct PayloadLog {
    int starts = 0;
    int updates = 0;
    int deletions = 0;
    float birthTime = -1.0f;
};

class ProbePayload : public FireObject {
public:
    explicit ProbePayload(PayloadLog& log_) : FireObject(LayerBee, 1.0f), log(log_) {}
    ~ProbePayload() override { ++log.deletions; }
    void Start() override
    {
        ++log.starts;
        log.birthTime = birthTime;
    }
    void Update() override { ++log.updates; }
    void Draw() override {}

    PayloadLog& log;
};

// The effect system on a recording device; frames run the update pass alone.
class RisingShellTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(scene.created, S_OK); }

    void Frame(float time, float elapsed) { scene.Update(time, elapsed); }

    EffectScene scene;
};

} // namespace

TEST_F(RisingShellTest, ClimbsAlongADeceleratingPathWithAWobbleThatStartsOnTheLine)
{
    auto* shell = new RisingShell(0.02f, 0.0f, -0.03f, 1.0f, 4.0f, -1.0f, nullptr);
    SubmitFireObject(shell);
    Frame(10.0f, 0.01f);

    // Half a second per unit of height; the wobble draws come in the order frequency, amplitude, envelope.
    EXPECT_FLOAT_EQ(shell->duration, 2.0f);
    EXPECT_NEAR(shell->wobbleFrequency, (41.0 / 32767.0 + 1.0) * 10.0, 1e-5);
    EXPECT_NEAR(shell->wobbleAmplitude, 18467.0 / 32767.0 * 0.02 + 0.01, 1e-7);
    EXPECT_NEAR(shell->envelopeFrequency, 6334.0 / 32767.0 * 2.0 + 1.0, 1e-6);
    // The envelope is 0 at the start, so the first position is the launch point itself.
    EXPECT_EQ(shell->position, D3DXVECTOR3(0.02f, 0.0f, -0.03f));

    Frame(11.0f, 0.01f);
    EXPECT_NEAR(shell->position.y, 2.6f, 1e-5);
    // x and z move at constant speed; the wobble circles that line at amplitude times envelope.
    const float dx = shell->position.x - (0.02f + 0.5f * 0.98f);
    const float dz = shell->position.z - (-0.03f + 0.5f * -0.97f);
    const float envelope = std::sin(0.5f * shell->envelopeFrequency * 3.1415927f);
    EXPECT_NEAR(std::sqrt(dx * dx + dz * dz), shell->wobbleAmplitude * std::fabs(envelope), 1e-6);

    Frame(11.99f, 0.01f);
    ASSERT_EQ(LayerRegistry[LayerRisingShell]->activeList, shell);
    // Still rising at slope 0.4 near the top: 0.008 short of the end 5 ms before arrival.
    EXPECT_NEAR(shell->position.y, 4.0f - 0.008f, 1e-4);
    Frame(12.0f, 0.01f);
    EXPECT_EQ(LayerRegistry[LayerRisingShell]->activeList, nullptr);
}

TEST_F(RisingShellTest, TrailsOneSparkPerFiveMillisecondsHoweverTheFramesFall)
{
    auto* shell = new RisingShell(0.0f, 0.0f, 0.0f, 0.5f, 4.0f, 0.5f, nullptr);
    SubmitFireObject(shell);

    // A steady 10 ms frame: one spark first, then two a frame as the clock carries 5 ms.
    int before = CountActive(SparkPool);
    for (int frame = 0; frame < 10; ++frame) {
        Frame(static_cast<float>(frame) * 0.01f, 0.01f);
        const int now = CountActive(SparkPool);
        EXPECT_EQ(now - before, frame == 0 ? 1 : 2) << "frame " << frame;
        before = now;

        // Every spark of this frame starts near the shell and drifts a little.
        const auto* spark = static_cast<const Spark*>(SparkPool.activeList);
        EXPECT_NEAR(spark->start.x, shell->position.x, 0.005f);
        EXPECT_NEAR(spark->start.y, shell->position.y, 0.005f);
        EXPECT_NEAR(spark->start.z, shell->position.z, 0.005f);
        EXPECT_LE(std::fabs(spark->travel.x), 0.1f);
        EXPECT_LE(std::fabs(spark->travel.y), 0.1f);
        EXPECT_LE(std::fabs(spark->travel.z), 0.1f);
        EXPECT_GE(spark->life, 0.25f);
        EXPECT_LE(spark->life, 0.75f);
        EXPECT_FALSE(spark->twinkle);
        EXPECT_FLOAT_EQ(spark->birth, Effects.time);
    }

    // One slow frame of 100 ms gives nineteen or twenty, depending on the carried remainder.
    Frame(0.2f, 0.1f);
    const int slow = CountActive(SparkPool) - before;
    EXPECT_GE(slow, 19);
    EXPECT_LE(slow, 20);

    // An endless frame neither hangs nor emits more than the pool can hold, and the trail goes on.
    FillParticlePools();
    Frame(0.3f, std::numeric_limits<float>::infinity());
    EXPECT_EQ(CountActive(SparkPool), SparkCapacity);
    FillParticlePools();
    Frame(0.31f, 0.01f);
    EXPECT_GE(CountActive(SparkPool), 1);
    EXPECT_LE(CountActive(SparkPool), 3);
}

TEST_F(RisingShellTest, LeavesAtMostOneSmokePuffAFrameEveryFiftyMilliseconds)
{
    auto* shell = new RisingShell(0.0f, 0.0f, 0.0f, 0.0f, 4.0f, 0.0f, nullptr);
    SubmitFireObject(shell);
    Frame(0.0f, 0.01f);
    // The first puff is due after age 0, not at it.
    EXPECT_EQ(CountActive(SmokePool), 0);

    // 10 ms frames at ages 0.015, 0.025, ... 0.495: puffs at 0.015, then at 0.055, 0.105, ... 0.455.
    for (int frame = 0; frame < 49; ++frame) {
        Frame(0.015f + static_cast<float>(frame) * 0.01f, 0.01f);
        if (frame == 0) {
            ASSERT_EQ(CountActive(SmokePool), 1);
            const auto* puff = static_cast<const SmokePuff*>(SmokePool.activeList);
            EXPECT_EQ(puff->position, shell->position);
            EXPECT_FLOAT_EQ(puff->size, 0.05f);
            EXPECT_GE(puff->life, 1.5f);
            EXPECT_LE(puff->life, 2.5f);
            EXPECT_GE(puff->intensity, 0.5f);
            EXPECT_LE(puff->intensity, 0.7f);
        }
    }
    EXPECT_EQ(CountActive(SmokePool), 10);

    // Slow frames thin the column: one puff each, never a bunch to catch up.
    for (int frame = 0; frame < 4; ++frame) {
        const int before = CountActive(SmokePool);
        Frame(0.7f + static_cast<float>(frame) * 0.2f, 0.2f);
        EXPECT_EQ(CountActive(SmokePool) - before, 1);
    }
}

TEST_F(RisingShellTest, HandsItsPayloadToItsLayerInTheArrivalFrame)
{
    PayloadLog log;
    auto* payload = new ProbePayload(log);
    SubmitFireObject(new RisingShell(0.0f, 0.0f, 0.0f, 1.0f, 2.0f, 1.0f, payload));
    Frame(5.0f, 0.01f);
    Frame(5.5f, 0.5f);
    EXPECT_EQ(log.starts, 0);
    EXPECT_EQ(LayerRegistry[LayerBee]->incomingList, nullptr);

    // Arrival at t = 1: the shell is gone and the burst is started and updated in the same pass.
    Frame(6.0f, 0.5f);
    EXPECT_EQ(LayerRegistry[LayerRisingShell]->activeList, nullptr);
    EXPECT_EQ(LayerRegistry[LayerBee]->activeList, payload);
    EXPECT_EQ(log.starts, 1);
    EXPECT_EQ(log.updates, 1);
    EXPECT_FLOAT_EQ(log.birthTime, 6.0f);
    EXPECT_EQ(log.deletions, 0);

    // From now on the layer alone owns it: deleted once, by the layer.
    LayerRegistry[LayerBee]->Clear();
    EXPECT_EQ(log.deletions, 1);
}

TEST_F(RisingShellTest, OwnsItsPayloadUntilArrivalAndArrivesAtOnceWithoutAClimb)
{
    // Removed while still climbing (or never submitted): the burst goes with it.
    PayloadLog climbing;
    SubmitFireObject(new RisingShell(0.0f, 0.0f, 0.0f, 0.0f, 4.0f, 0.0f, new ProbePayload(climbing)));
    Frame(0.0f, 0.01f);
    LayerRegistry[LayerRisingShell]->Clear();
    EXPECT_EQ(climbing.deletions, 1);
    PayloadLog unsent;
    delete new RisingShell(0.0f, 0.0f, 0.0f, 0.0f, 4.0f, 0.0f, new ProbePayload(unsent));
    EXPECT_EQ(unsent.deletions, 1);

    // Without a payload the shell simply ends on arrival.
    SubmitFireObject(new RisingShell(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, nullptr));
    Frame(1.0f, 0.01f);
    Frame(1.5f, 0.5f);
    EXPECT_EQ(LayerRegistry[LayerRisingShell]->activeList, nullptr);

    // An end at or below the start has no climb: the burst comes in the admission frame, no NaN drawn.
    for (const float endY : {0.0f, -1.0f}) {
        PayloadLog flat;
        auto* shell = new RisingShell(0.5f, 0.0f, 0.5f, 0.5f, endY, 0.5f, new ProbePayload(flat));
        SubmitFireObject(shell);
        Frame(2.0f, 0.01f);
        EXPECT_EQ(LayerRegistry[LayerRisingShell]->activeList, nullptr) << endY;
        EXPECT_EQ(flat.starts, 1) << endY;
        LayerRegistry[LayerBee]->Clear();
        EXPECT_EQ(flat.deletions, 1) << endY;
    }
}

TEST_F(RisingShellTest, LayerZeroDrawsEveryShellAsOneWarmPointInWorldSpace)
{
    auto* first = new RisingShell(0.0f, 0.0f, 0.0f, 1.0f, 4.0f, 0.0f, nullptr);
    auto* second = new RisingShell(0.04f, 0.0f, 0.0f, -1.0f, 3.0f, 1.0f, nullptr);
    SubmitFireObject(first);
    SubmitFireObject(second);
    Frame(0.0f, 0.01f);
    Frame(0.4f, 0.01f);
    scene.device->Clear();
    EffectsDraw();

    const std::vector<const DrawRecord*> draws = DrawsWithTexture(*scene.device, TextureShine);
    for (const DrawRecord* draw : draws) {
        EXPECT_EQ(draw->type, D3DPT_POINTLIST);
        ASSERT_EQ(draw->vertexCount, 2u);
        EXPECT_EQ(draw->state.renderStates[D3DRS_POINTSIZE], std::bit_cast<DWORD>(0.15f));
        EXPECT_EQ(draw->state.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(FALSE));
        EXPECT_EQ(draw->state.vertexShader, ColorVertexFVF);
        const D3DXMATRIX world = WorldOf(*draw);
        EXPECT_TRUE(D3DXMatrixIsIdentity(&world));
        // Oldest first, at the positions of this frame, in the shell's own colour.
        const RisingShell* shells[] = {first, second};
        for (size_t i = 0; i < 2; ++i) {
            const auto vertex = draw->Vertex<ColorVertex>(i);
            EXPECT_EQ(D3DXVECTOR3(vertex.x, vertex.y, vertex.z), shells[i]->position);
            EXPECT_EQ(vertex.color, 0xFFFFCC66u);
        }
    }
    EXPECT_EQ(draws.size(), 1u);
}
