// SPDX-License-Identifier: GPL-3.0-or-later
// The whole effect frame: pass order, silent empty layers, per-object placement, no allocation.
#include <gtest/gtest.h>

#include <bit>
#include <utility>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/sprite_layer.h"
#include "effects/vertex_batches.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"
#include "tools/support/allocation_counter.h"
#include "tests/support/effect_scene.h"

namespace {

// A burst of fixed pose that draws its star points in its own coordinates.
class StillBurst : public FireObject {
public:
    StillBurst(LayerId layer, const BurstPose& pose_) : FireObject(layer, 1.0f), pose(pose_) {}
    void Start() override {}
    void Update() override {}
    void Draw() override
    {
        *PointBatch::NextPoint() = ColorVertex{1, 0, 0, 0xFF00FF00u};
        *PointBatch::NextPoint() = ColorVertex{0, 0, 1, 0xFF00FF00u};
    }
    void GetPose(BurstPose& out) const override { out = pose; }

    BurstPose pose;
};

BurstPose TiltedPose()
{
    BurstPose pose{};
    pose.pointSize = 0.3f;
    pose.centre = D3DXVECTOR3(1, 4, -2);
    pose.drop = -0.5f;
    pose.radius = 2.0f;
    D3DXQuaternionRotationYawPitchRoll(&pose.orientation, 0.7f, 0.3f, -1.1f);
    return pose;
}

D3DXVECTOR3 Transform(const D3DMATRIX& m, const D3DXVECTOR3& p)
{
    D3DXVECTOR3 out;
    const D3DXMATRIX world(m._11, m._12, m._13, m._14, m._21, m._22, m._23, m._24, m._31, m._32, m._33, m._34,
                           m._41, m._42, m._43, m._44);
    D3DXVec3TransformCoord(&out, &p, &world);
    return out;
}

} // namespace

TEST(EffectFrame, EmptyLayersAndPoolsLeaveTheDeviceAloneExceptForTheFlashStates)
{
    EffectScene scene;
    scene.device->Clear();
    EffectsUpdate();
    EffectsDraw();
    // Only the flash pass sets its four blend states unconditionally.
    EXPECT_EQ(scene.device->Calls().size(), 4u);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::SetRenderState), 4u);
}

TEST(EffectFrame, ScaledRotatedLayersPlaceAStarAtRotatedScaledPointPlusCentreAndDrop)
{
    EffectScene scene;
    const BurstPose pose = TiltedPose();
    SubmitFireObject(new StillBurst(LayerSaturn, pose));
    scene.device->Clear();
    scene.Frame(0.1f);
    ASSERT_EQ(scene.device->Draws().size(), 1u);
    const DrawRecord& draw = scene.device->Draws()[0];
    EXPECT_EQ(draw.state.renderStates[D3DRS_POINTSIZE], std::bit_cast<DWORD>(0.3f));
    EXPECT_EQ(draw.state.textures[0], SharedEffects.textures[TextureShine]);
    EXPECT_EQ(draw.state.vertexShader, 0x42u);
    EXPECT_EQ(draw.state.streamStride, 16u);

    // By hand: rotate (r x p) by the orientation, then add (x, y + drop, z).
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &pose.orientation);
    const D3DXVECTOR3 scaled(2, 0, 0);
    D3DXVECTOR3 expected;
    D3DXVec3TransformCoord(&expected, &scaled, &rotation);
    expected += D3DXVECTOR3(1, 3.5f, -2);
    const D3DXVECTOR3 got = Transform(draw.state.transforms[10], D3DXVECTOR3(1, 0, 0));
    EXPECT_NEAR(got.x, expected.x, 1e-5f);
    EXPECT_NEAR(got.y, expected.y, 1e-5f);
    EXPECT_NEAR(got.z, expected.z, 1e-5f);
}

TEST(EffectFrame, EachPlacementBuildsItsOwnWorldTransform)
{
    const BurstPose pose = TiltedPose();
    D3DXMATRIX world;
    const D3DXVECTOR3 p(0, 1, 0);

    BuildPlacementMatrix(SpritePlacement::Translate, pose, world);
    D3DXVECTOR3 got;
    D3DXVec3TransformCoord(&got, &p, &world);
    EXPECT_EQ(got, D3DXVECTOR3(1, 4.5f, -2));

    BuildPlacementMatrix(SpritePlacement::ScaleTranslate, pose, world);
    D3DXVec3TransformCoord(&got, &p, &world);
    EXPECT_EQ(got, D3DXVECTOR3(1, 5.5f, -2));

    BuildPlacementMatrix(SpritePlacement::World, pose, world);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&world));
}

TEST(EffectFrame, SparksLayersFlashesAndSmokeAreDrawnInThatOrder)
{
    EffectScene scene;
    Effects.time = 0.0f;
    SpawnSpark(0, 0, 0, 0, 1, 0, 5.0f, false);
    SpawnFlash(0, 0, 0, 5.0f, 1.0f, 1.0f, D3DXCOLOR(1, 1, 1, 1));
    SpawnSmoke(0, 0, 0, 5.0f, 1.0f, 1.0f);
    SubmitFireObject(new StillBurst(LayerRing, TiltedPose()));
    scene.device->Clear();
    scene.Frame(0.5f);
    std::vector<IDirect3DBaseTexture8*> order;
    for (const DrawRecord& draw : scene.device->Draws()) {
        order.push_back(draw.state.textures[0]);
    }
    EXPECT_EQ(order, (std::vector<IDirect3DBaseTexture8*>{SharedEffects.textures[TextureStar],
                                                          SharedEffects.textures[TextureShine],
                                                          SharedEffects.textures[TextureLight],
                                                          SharedEffects.textures[TextureBurstSmoke]}));
}

TEST(EffectFrame, ASteadyFrameWithFullPoolsAllocatesNothing)
{
    EffectScene scene;
    Effects.time = 0.0f;
    for (int i = 0; i < SparkCapacity + 10; ++i) {
        SpawnSpark(0, 0, 0, 1, 1, 1, 100.0f, i % 3 == 0);
    }
    for (int i = 0; i < SmokeCapacity + 10; ++i) {
        SpawnSmoke(0, 0, 0, 100.0f, 1.0f, 1.0f);
    }
    for (int i = 0; i < FlashCapacity + 1; ++i) {
        SpawnFlash(0, 0, 0, 100.0f, 1.0f, 1.0f, D3DXCOLOR(1, 1, 1, 1));
    }
    SubmitFireObject(new StillBurst(LayerSaturn, TiltedPose()));
    scene.Frame(0.01f);
    // Writing the calls down would allocate; the frame itself must not.
    scene.device->PauseRecording(true);
    const std::uint64_t before = HeapAllocationCount();
    for (int frame = 2; frame < 50; ++frame) {
        scene.Frame(0.01f * static_cast<float>(frame));
    }
    EXPECT_EQ(HeapAllocationCount() - before, 0u);
}

TEST(EffectFrame, TheFlashFlickerScalesWithItsAmplitudeAndDrawsTheSameNumbers)
{
    // A flash of intensity 2 at a tenth of its life from the same random state: its brightness, and the next draw.
    const auto draw = [](double flicker) {
        EffectScene scene;
        Effects.flashFlicker = flicker;
        SpawnFlash(0, 0, 0, 5.0f, 1.0f, 2.0f, D3DXCOLOR(1, 1, 1, 1));
        ResetRuntimeRand(7);
        scene.Frame(0.5f);
        return std::pair(static_cast<const Flash*>(FlashPool.activeList)->brightness, RuntimeRand());
    };
    const auto [still, afterStill] = draw(0.0);
    const auto [gentle, afterGentle] = draw(0.05);
    const auto [full, afterFull] = draw(0.1);
    EXPECT_NEAR(still, 1.8f, 1e-6f);
    EXPECT_NE(full, still);
    // Only the amplitude scales: half of it moves the brightness half as far.
    EXPECT_NEAR(gentle - still, (full - still) / 2.0f, 1e-6f);
    EXPECT_EQ(afterGentle, afterStill);
    EXPECT_EQ(afterFull, afterStill);
}
