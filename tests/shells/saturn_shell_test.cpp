// SPDX-License-Identifier: GPL-3.0-or-later
// The sphere star pattern's rows and draws, and the Saturn burst's stars, flash, life and placement by layer 3.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_formats.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"
#include "shells/saturn_shell.h"
#include "shells/sphere_star_pattern.h"
#include "tests/support/effect_scene.h"
#include "tests/support/effect_test_helpers.h"

namespace {

constexpr float Pi = 3.1415927f;

struct Pattern {
    std::unique_ptr<D3DXVECTOR3[]> positions;
    int count = 0;
};

Pattern MakePattern(int density, float radius)
{
    D3DXVECTOR3* positions = nullptr;
    Pattern pattern;
    SphereStarPattern(density, radius, positions, pattern.count);
    pattern.positions.reset(positions);
    return pattern;
}

float HorizontalRadius(const D3DXVECTOR3& p)
{
    return std::sqrt(p.x * p.x + p.z * p.z);
}

} // namespace

TEST(SphereStarPattern, HoldsTheRowSumsOfTheDensity)
{
    EXPECT_EQ(MakePattern(20, 1.0f).count, 118);
    EXPECT_EQ(MakePattern(25, 1.0f).count, 178);
    EXPECT_EQ(MakePattern(30, 1.0f).count, 251);
    EXPECT_EQ(MakePattern(4, 1.0f).count, 4);
    // Below four there are no rows; negative and absurd densities are refused the same way.
    D3DXVECTOR3 stale;
    for (int density : {3, 1, 0, -8, SphereStarPatternMaxCount + 1, INT_MAX}) {
        D3DXVECTOR3* positions = &stale;
        int count = -1;
        SphereStarPattern(density, 1.0f, positions, count);
        EXPECT_EQ(count, 0) << density;
        EXPECT_EQ(positions, nullptr) << density;
    }
}

TEST(SphereStarPattern, LaysTheEquatorThenMirroredCirclesUpToTheTopRow)
{
    const float radius = 2.0f;
    Pattern pattern = MakePattern(20, radius);
    ASSERT_EQ(pattern.count, 118);
    const int perCircle[10] = {10, 9, 9, 8, 8, 7, 5, 4, 3, 1};
    int index = 0;
    for (int row = 0; row < 10; ++row) {
        const float latitude = row * 0.05f * Pi;
        for (int j = 0; j < perCircle[row]; ++j) {
            const D3DXVECTOR3& p = pattern.positions[index];
            // x and z keep the row's latitude; only the height carries the ±0.05 rad jitter.
            EXPECT_NEAR(HorizontalRadius(p), std::cos(latitude) * radius, 1e-5f) << row;
            EXPECT_NEAR(std::asin(p.y / radius), latitude, 0.0501f) << row;
            if (row == 0) {
                ++index;
                continue;
            }
            const D3DXVECTOR3& mirror = pattern.positions[index + 1];
            EXPECT_EQ(mirror.x, p.x);
            EXPECT_EQ(mirror.y, -p.y);
            EXPECT_EQ(mirror.z, p.z);
            index += 2;
        }
    }
    // The top circle lies at 81 degrees, below the pole.
    EXPECT_NEAR(std::acos(HorizontalRadius(pattern.positions[116]) / radius) * 180.0f / Pi, 81.0f, 1e-3f);
}

TEST(SphereStarPattern, DrawsEachRowsPhaseBeforeItsStarsHeights)
{
    ResetRuntimeRand();
    const float phase = static_cast<float>(Random01());
    const float firstJitter = static_cast<float>((Random01() - 0.5) * 0.1);
    // 10 row phases and one height per star of each circle: 64 stars for density 20.
    for (int i = 2; i < 74; ++i) {
        Random01();
    }
    const int following = RuntimeRand();

    ResetRuntimeRand();
    Pattern pattern = MakePattern(20, 1.0f);
    EXPECT_EQ(RuntimeRand(), following);
    EXPECT_NEAR(pattern.positions[0].x, std::cos(phase), 1e-6f);
    EXPECT_NEAR(pattern.positions[0].z, std::sin(phase), 1e-6f);
    EXPECT_NEAR(pattern.positions[0].y, std::sin(firstJitter), 1e-6f);
    // The equator's stars are evenly spaced in longitude from the phase.
    EXPECT_NEAR(std::atan2(pattern.positions[1].z, pattern.positions[1].x), phase + 0.2f * Pi, 1e-5f);
}

namespace {

ColorRamp TwoKeyRamp(const RGBA& first, float firstSize, const RGBA& last, float lastSize)
{
    ColorRamp ramp;
    ramp.AddKey(0.0f, first, firstSize, 1.0f);
    ramp.AddKey(1.0f, last, lastSize, 1.0f);
    return ramp;
}

const RGBA Red{1.0f, 0.0f, 0.0f, 1.0f};
const RGBA Blue{0.0f, 0.0f, 1.0f, 1.0f};
const RGBA Green{0.0f, 1.0f, 0.0f, 0.5f};

// The effect system on a recording device, with layer 3 drawn alone each frame.
class SaturnShellTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(scene.created, S_OK); }

    SaturnShell* Launch(int count, float speed = 0.5f)
    {
        auto* shell = new SaturnShell(1.0f, 4.0f, -2.0f, count, 1.5f, speed, TwoKeyRamp(Red, 0.4f, Blue, 0.2f),
                                      TwoKeyRamp(Green, 1.0f, Green, 1.0f));
        SubmitFireObject(shell);
        return shell;
    }

    // One frame of the layers at the given application time; returns the draws layer 3 made.
    void Frame(float time)
    {
        Effects.time = time;
        EffectsUpdate();
        scene.device->Clear();
        LayerRegistry[LayerSaturn]->Draw();
    }

    EffectScene scene;
};

} // namespace

TEST_F(SaturnShellTest, AShellWithoutStarsStillFlashesAndSmokesButDrawsNothing)
{
    SaturnShell* shell = Launch(0);
    Frame(2.0f);
    EXPECT_EQ(shell->sphereStars, 0);
    EXPECT_EQ(shell->RingStars(), 0);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::DrawPrimitive), 0u);

    auto* flash = static_cast<Flash*>(FlashPool.activeList);
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->position, D3DXVECTOR3(1.0f, 4.0f, -2.0f));
    EXPECT_EQ(flash->life, 0.8f);
    EXPECT_EQ(flash->size, 3.0f);
    EXPECT_EQ(flash->intensity, 1.0f);
    EXPECT_EQ(flash->birth, 2.0f);
    // The flash takes the sphere ramp's first colour (red, desaturated), not the ring's green.
    EXPECT_GT(flash->color.r, flash->color.g);
    auto* smoke = static_cast<SmokePuff*>(SmokePool.activeList);
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->position, D3DXVECTOR3(1.0f, 4.0f, -2.0f));
    EXPECT_EQ(smoke->life, 5.0f);
    EXPECT_EQ(smoke->size, 2.0f);
    EXPECT_FLOAT_EQ(smoke->intensity, 0.9f);
}

TEST_F(SaturnShellTest, DrawsTheSphereThenTheRingInTheirOwnColours)
{
    const float speed = 0.5f;
    SaturnShell* shell = Launch(20, speed);
    Frame(1.0f);
    Frame(1.75f);
    ASSERT_EQ(shell->sphereStars, 118);
    ASSERT_EQ(shell->RingStars(), 40);
    ASSERT_EQ(scene.device->Draws().size(), 1u);
    const DrawRecord& draw = scene.device->Draws()[0];
    EXPECT_EQ(draw.type, D3DPT_POINTLIST);
    ASSERT_EQ(draw.vertexCount, 158u);

    // Half-way the expansion is 0.65: the ramps are read there, and the sphere's point size is half its ramp's.
    const float r = ExpansionCurve(0.5f);
    EXPECT_FLOAT_EQ(shell->size, (0.4f + (0.2f - 0.4f) * r) * 0.5f);
    EXPECT_EQ(PointSizeOf(draw), shell->size);
    EXPECT_EQ(draw.state.textures[0], SharedEffects.textures[TextureShine]);

    const DWORD sphereColor = PackColor(1.0f - r, 0.0f, r, 1.0f);
    const DWORD ringColor = PackColor(0.0f, 1.0f, 0.0f, 0.5f);
    for (UINT i = 0; i < draw.vertexCount; ++i) {
        const ColorVertex vertex = draw.Vertex<ColorVertex>(i);
        if (i < 118) {
            EXPECT_EQ(vertex.color, sphereColor) << i;
            EXPECT_EQ(D3DXVECTOR3(vertex.x, vertex.y, vertex.z), shell->spherePositions[i]) << i;
            EXPECT_NEAR(std::sqrt(vertex.x * vertex.x + vertex.y * vertex.y + vertex.z * vertex.z), speed, 0.05f * speed);
        } else {
            EXPECT_EQ(vertex.color, ringColor) << i;
            // The ring lies flat at 1.8 × speed, each star jittered by at most 0.025 per axis.
            const int k = static_cast<int>(i) - 118;
            const float a = k * 3.141592f / 20.0f;
            EXPECT_NEAR(vertex.x, std::cos(a) * speed * 1.8f, 0.0251f) << k;
            EXPECT_NEAR(vertex.z, std::sin(a) * speed * 1.8f, 0.0251f) << k;
            EXPECT_NEAR(vertex.y, 0.0f, 0.0251f) << k;
        }
    }
}

TEST_F(SaturnShellTest, LayerThreePlacesTheFigureByScaleRotationAndDrop)
{
    SaturnShell* shell = Launch(20);
    const D3DXVECTOR3 centre(1.0f, 4.0f, -2.0f);
    const D3DXVECTOR3 probe(0.3f, -0.2f, 0.7f);

    // Admission frame: t = 0, the whole figure collapses onto the burst point.
    Frame(3.0f);
    ASSERT_EQ(scene.device->Draws().size(), 1u);
    const D3DXVECTOR3 start = TransformPoint(scene.device->Draws()[0].state.transforms[10], probe);
    EXPECT_NEAR(start.x, centre.x, 1e-6f);
    EXPECT_NEAR(start.y, centre.y, 1e-6f);
    EXPECT_NEAR(start.z, centre.z, 1e-6f);

    // Start tilted the figure by a unit quaternion from three random angles.
    const glm::quat q(shell->orientation.w, shell->orientation.x, shell->orientation.y, shell->orientation.z);
    EXPECT_NEAR(glm::length(q), 1.0f, 1e-5f);
    EXPECT_LT(std::fabs(q.w), 0.9999f);

    for (float t : {0.5f, 1.0f}) {
        Frame(3.0f + 1.5f * t);
        ASSERT_EQ(scene.device->Draws().size(), 1u) << t;
        const float r = ExpansionCurve(t);
        const float drop = -0.8f * t * t;
        const glm::vec3 expected = q * (r * glm::vec3(probe.x, probe.y, probe.z)) + glm::vec3(1.0f, 4.0f + drop, -2.0f);
        const D3DXVECTOR3 placed = TransformPoint(scene.device->Draws()[0].state.transforms[10], probe);
        EXPECT_NEAR(placed.x, expected.x, 1e-5f) << t;
        EXPECT_NEAR(placed.y, expected.y, 1e-5f) << t;
        EXPECT_NEAR(placed.z, expected.z, 1e-5f) << t;
    }
    // At t = 1 the figure is full size and has sunk by 0.8.
    EXPECT_EQ(shell->r, 1.0f);
    EXPECT_FLOAT_EQ(shell->drop, -0.8f);
}

TEST_F(SaturnShellTest, LivesThroughTOfOneAndIsDeletedInTheFirstFrameAfter)
{
    Launch(20);
    Frame(0.0f);
    Frame(1.5f);
    EXPECT_NE(LayerRegistry[LayerSaturn]->activeList, nullptr);
    Frame(1.51f);
    EXPECT_EQ(LayerRegistry[LayerSaturn]->activeList, nullptr);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::DrawPrimitive), 0u);
}

TEST_F(SaturnShellTest, BadArgumentsEndOrEmptyTheShellInsteadOfMisbehaving)
{
    // A duration that is not positive would never reach t > 1: the shell ends in its first pass.
    SubmitFireObject(new SaturnShell(0.0f, 3.0f, 0.0f, 20, -1.0f, 0.5f, TwoKeyRamp(Red, 0.4f, Blue, 0.2f),
                                     TwoKeyRamp(Green, 1.0f, Green, 1.0f)));
    Frame(1.0f);
    EXPECT_EQ(LayerRegistry[LayerSaturn]->activeList, nullptr);

    // A count whose ring would overflow gives no stars at all.
    SaturnShell* shell = Launch(INT_MAX);
    Frame(2.0f);
    Frame(2.5f);
    EXPECT_EQ(shell->sphereStars, 0);
    EXPECT_EQ(shell->RingStars(), 0);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::DrawPrimitive), 0u);
}
