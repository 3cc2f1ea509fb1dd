// SPDX-License-Identifier: GPL-3.0-or-later
// The peony burst and layer 5: start-up effects and orientation, expansion and fall, the sparks it
// leaves, and the point size, world matrix and points each shell is drawn with.
#include <gtest/gtest.h>

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_formats.h"
#include "shells/layer_registry.h"
#include "shells/peony_layer.h"
#include "shells/peony_shell.h"
#include "shells/sphere_star_pattern.h"
#include "tests/support/effect_scene.h"
#include "tests/support/effect_test_helpers.h"

namespace {

// Where the layer's matrix should put star point p: rotate(expansion × p) + (x, y + drop, z).
glm::vec3 Placed(const PeonyShell& shell, const D3DXVECTOR3& p)
{
    const glm::quat q(shell.rotation.w, shell.rotation.x, shell.rotation.y, shell.rotation.z);
    const glm::vec3 turned = q * (shell.expansion * glm::vec3(p.x, p.y, p.z));
    return turned + glm::vec3(shell.position.x, shell.position.y + shell.drop, shell.position.z);
}

// The effect system on a recording device, and a layer 5 of the test's own.
class PeonyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(scene.created, S_OK); }

    void TearDown() override { layer.Clear(); }

    PeonyShell* Launch(float x, float y, float z, float speed, bool dropSparks, float duration = 2.0f)
    {
        auto* shell = new PeonyShell(x, y, z, 25, duration, speed, BotanRamps[3], dropSparks);
        layer.Enqueue(shell);
        return shell;
    }

    // One update pass of the test's own layer at application time now.
    void Step(float now) { UpdateLayerAt(layer, now); }

    EffectScene scene;
    PeonyLayer layer;
};

} // namespace

TEST_F(PeonyTest, StartFlashesSmokesAndTurnsThePatternByTheDrawnAngles)
{
    PeonyShell* shell = Launch(1.0f, 4.0f, -0.5f, 1.5f, false);
    Step(3.0f);

    EXPECT_EQ(shell->layerId, LayerPeony);
    EXPECT_EQ(shell->starCount, 178);
    ASSERT_EQ(CountActive(FlashPool), 1);
    const auto* flash = static_cast<const Flash*>(FlashPool.activeList);
    EXPECT_EQ(flash->position.y, 4.0f);
    EXPECT_EQ(flash->size, 6.0f);
    ASSERT_EQ(CountActive(SmokePool), 1);
    const auto* puff = static_cast<const SmokePuff*>(SmokePool.activeList);
    EXPECT_EQ(puff->position.z, -0.5f);
    EXPECT_EQ(puff->life, 5.0f);

    // Replay the draws: the pattern, the smoke puff's image, then pitch, yaw and roll.
    ResetRuntimeRand();
    D3DXVECTOR3* pattern = nullptr;
    int patternCount = 0;
    SphereStarPattern(25, 1.5f, pattern, patternCount);
    for (int i = 0; i < patternCount; ++i) {
        EXPECT_EQ(pattern[i].x, shell->starPoints[i].x);
        EXPECT_EQ(pattern[i].y, shell->starPoints[i].y);
    }
    delete[] pattern;
    Random01();
    const float pitch = static_cast<float>(Random01());
    const float yaw = static_cast<float>(Random01());
    const float roll = static_cast<float>(Random01());
    const float cy = std::cos(yaw / 2), sy = std::sin(yaw / 2);
    const float cp = std::cos(pitch / 2), sp = std::sin(pitch / 2);
    const float cr = std::cos(roll / 2), sr = std::sin(roll / 2);
    EXPECT_NEAR(shell->rotation.x, cy * sp * cr + sy * cp * sr, 1e-6f);
    EXPECT_NEAR(shell->rotation.y, sy * cp * cr - cy * sp * sr, 1e-6f);
    EXPECT_NEAR(shell->rotation.z, cy * cp * sr - sy * sp * cr, 1e-6f);
    EXPECT_NEAR(shell->rotation.w, cy * cp * cr + sy * sp * sr, 1e-6f);
}

TEST_F(PeonyTest, ExpansionDropAndRampFollowTheAgeAndTheShellEndsAfterTOne)
{
    PeonyShell* shell = Launch(0.0f, 4.0f, 0.0f, 1.5f, false);
    Step(10.0f);
    EXPECT_EQ(shell->expansion, 0.0f);
    EXPECT_EQ(shell->drop, 0.0f);

    Step(11.0f);
    EXPECT_NEAR(shell->expansion, 0.65f, 1e-6f);
    EXPECT_NEAR(shell->drop, -0.25f, 1e-6f);
    RGBA color{};
    float size = 0.0f;
    BotanRamps[3].Evaluate(shell->expansion, &color, &size, nullptr);
    EXPECT_EQ(shell->size, size);
    EXPECT_EQ(shell->color.r, color.r);
    EXPECT_EQ(shell->color.b, color.b);

    Step(12.0f);
    EXPECT_FALSE(shell->dead) << "t = 1 is still a live frame";
    EXPECT_NEAR(shell->drop, -1.0f, 1e-6f);
    const int sparksBefore = CountActive(SparkPool);
    Step(12.01f);
    EXPECT_EQ(layer.activeList, nullptr) << "reaped in the first pass with t > 1";
    EXPECT_EQ(CountActive(SparkPool), sparksBefore) << "no sparks without dropSparks";
}

TEST_F(PeonyTest, DroppedSparksTwinkleOneUnitBelowTheUnrotatedPattern)
{
    PeonyShell* shell = Launch(0.5f, 3.0f, -1.0f, 1.5f, true);
    Step(0.0f);
    Step(1.0f);
    const int count = shell->starCount;
    std::vector<D3DXVECTOR3> points(shell->starPoints.get(), shell->starPoints.get() + count);
    ASSERT_EQ(CountActive(SparkPool), 0);

    Step(2.5f);
    ASSERT_EQ(CountActive(SparkPool), count);
    // The active list is newest first, so it runs through the stars backwards.
    int i = count - 1;
    for (const ParticleRecord* record = SparkPool.activeList; record != nullptr; record = record->next, --i) {
        const auto* spark = static_cast<const Spark*>(record);
        EXPECT_FLOAT_EQ(spark->start.x, 0.5f + points[i].x);
        EXPECT_FLOAT_EQ(spark->start.y, 3.0f + points[i].y - 1.0f);
        EXPECT_FLOAT_EQ(spark->start.z, -1.0f + points[i].z);
        EXPECT_EQ(D3DXVec3Length(&spark->travel), 0.0f);
        EXPECT_TRUE(spark->twinkle);
        EXPECT_TRUE(spark->life >= 0.0f && spark->life <= 2.0f);
    }
}

TEST_F(PeonyTest, AZeroDurationEndsInItsAdmissionFrameInsteadOfDrawingNaN)
{
    Launch(0.0f, 4.0f, 0.0f, 1.5f, true, 0.0f);
    Step(5.0f);
    EXPECT_EQ(layer.activeList, nullptr);
    EXPECT_EQ(CountActive(SparkPool), 178);
}

TEST_F(PeonyTest, EachShellIsDrawnWithItsOwnSizeAndMatrixOverSharedStates)
{
    scene.device->Clear();
    layer.Draw();
    EXPECT_TRUE(scene.device->Calls().empty()) << "an empty layer touches nothing";

    PeonyShell* first = Launch(1.0f, 4.0f, 0.0f, 1.5f, false);
    Step(0.0f);
    PeonyShell* second = Launch(-1.0f, 3.5f, 1.0f, 1.25f, false);
    Step(0.5f);
    // The third is in its admission frame: all its stars sit at its centre.
    PeonyShell* third = Launch(0.5f, 4.5f, -0.25f, 1.75f, false);
    Step(1.3f);
    ASSERT_NE(first->size, second->size);

    scene.device->Clear();
    layer.Draw();
    ASSERT_EQ(scene.device->Draws().size(), 3u);
    const PeonyShell* shells[3] = {first, second, third};
    for (size_t d = 0; d < 3; ++d) {
        const DrawRecord& draw = scene.device->Draws()[d];
        const PeonyShell& shell = *shells[d];
        EXPECT_EQ(draw.type, D3DPT_POINTLIST);
        ASSERT_EQ(draw.vertexCount, static_cast<UINT>(shell.starCount));
        EXPECT_EQ(draw.stride, 16u);
        EXPECT_EQ(draw.buffer, SharedEffects.pointBuffer);
        EXPECT_EQ(draw.state.vertexShader, 0x42u);
        EXPECT_EQ(draw.state.textures[0], SharedEffects.textures[TextureShine]);
        EXPECT_EQ(draw.state.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(FALSE));
        EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(TRUE));
        EXPECT_EQ(draw.state.renderStates[D3DRS_SRCBLEND], static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(draw.state.renderStates[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(PointSizeOf(draw), shell.size);

        const DWORD packed = PackColor(shell.color.r, shell.color.g, shell.color.b, shell.color.a);
        const D3DXMATRIX world = WorldOf(draw);
        for (int i = 0; i < shell.starCount; ++i) {
            const ColorVertex v = draw.Vertex<ColorVertex>(i);
            EXPECT_EQ(v.x, shell.starPoints[i].x);
            EXPECT_EQ(v.color, packed);
            const glm::vec3 expected = Placed(shell, shell.starPoints[i]);
            const D3DXVECTOR3 actual = TransformPoint(world, D3DXVECTOR3(v.x, v.y, v.z));
            EXPECT_NEAR(actual.x, expected.x, 1e-5f);
            EXPECT_NEAR(actual.y, expected.y, 1e-5f);
            EXPECT_NEAR(actual.z, expected.z, 1e-5f);
        }
    }
}
