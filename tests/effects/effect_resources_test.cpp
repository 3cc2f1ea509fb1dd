// SPDX-License-Identifier: GPL-3.0-or-later
// Shared effect resources and the two batch writers, on the recording device.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>

#include "effects/billboard.h"
#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/vertex_batches.h"
#include "shells/effects_lifecycle.h"
#include "tests/support/effect_scene.h"

namespace {

D3DCAPS8 CapsWithPrimitiveLimit(DWORD limit)
{
    D3DCAPS8 caps = NullDevice::DefaultCaps();
    caps.MaxPrimitiveCount = limit;
    return caps;
}

// Callers bind the buffer before a batch; the writers only lock, fill and draw.
void BindPointBuffer(RecordingDevice& device)
{
    device.SetStreamSource(0, SharedEffects.pointBuffer, sizeof(ColorVertex));
    device.SetVertexShader(ColorVertexFVF);
}

void BindQuadBuffer(RecordingDevice& device)
{
    device.SetStreamSource(0, SharedEffects.quadBuffer, sizeof(TexturedVertex));
    device.SetVertexShader(TexturedVertexFVF);
}

std::vector<UINT> DrawnPrimitiveCounts(const RecordingDevice& device)
{
    std::vector<UINT> counts;
    for (const DrawRecord& draw : device.Draws()) {
        counts.push_back(draw.primitiveCount);
    }
    return counts;
}

} // namespace

TEST(EffectResources, CreationLoadsSevenTexturesTwoBuffersAndTheAdditiveSpriteStates)
{
    EffectScene scene;
    ASSERT_EQ(scene.created, S_OK);
    for (IDirect3DTexture8* texture : SharedEffects.textures) {
        ASSERT_NE(texture, nullptr);
    }
    EXPECT_EQ(SharedEffects.textures[TextureSmoke]->GetLevelCount(), 4u) << "8x8 images end at 1x1";
    EXPECT_EQ(SharedEffects.batchCapacity, 2048);
    D3DVERTEXBUFFER_DESC desc{};
    SharedEffects.quadBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 2048u * 24u);
    EXPECT_EQ(desc.FVF, 0x142u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);

    const DeviceState& state = scene.device->State();
    EXPECT_EQ(state.renderStates[D3DRS_POINTSPRITEENABLE], TRUE);
    EXPECT_EQ(state.renderStates[D3DRS_POINTSCALEENABLE], TRUE);
    EXPECT_EQ(state.renderStates[D3DRS_POINTSCALE_A], std::bit_cast<DWORD>(0.0f));
    EXPECT_EQ(state.renderStates[D3DRS_POINTSCALE_C], std::bit_cast<DWORD>(1.0f));
    EXPECT_EQ(state.renderStates[D3DRS_ZWRITEENABLE], FALSE);
    EXPECT_EQ(state.renderStates[D3DRS_SRCBLEND], D3DBLEND_ONE);
    EXPECT_EQ(state.renderStates[D3DRS_DESTBLEND], D3DBLEND_ONE);
    EXPECT_EQ(state.textureStageStates[0][D3DTSS_MIPFILTER], D3DTEXF_POINT);

    // A reset forgets the states; restore sets them again.
    D3DPRESENT_PARAMETERS params = NullDevice::DefaultPresentParameters();
    EffectsInvalidateDeviceResources();
    ASSERT_EQ(scene.device->Reset(&params), D3D_OK);
    EffectsRestoreDeviceResources();
    EXPECT_EQ(scene.device->State().renderStates[D3DRS_POINTSCALE_C], std::bit_cast<DWORD>(1.0f));
}

TEST(EffectResources, AMissingTextureFailsCreationWithTheMediaCode)
{
    EffectScene scene;
    EffectsDestroyDeviceResources();
    std::filesystem::remove(scene.folder / "Random.bmp");
    EXPECT_EQ(EffectsCreateDeviceResources(), static_cast<HRESULT>(0x8200000Bu));
    // The textures before it stay held until destroy, and no buffer was made.
    EXPECT_NE(SharedEffects.textures[TextureShine2], nullptr);
    EXPECT_EQ(SharedEffects.pointBuffer, nullptr);
}

TEST(EffectResources, AFailedBufferReturnsTheDeviceResult)
{
    EffectScene scene;
    EffectsDestroyDeviceResources();
    scene.device->FailNextCreateVertexBuffer(D3DERR_OUTOFVIDEOMEMORY, 1);
    EXPECT_EQ(EffectsCreateDeviceResources(), D3DERR_OUTOFVIDEOMEMORY);
}

TEST(PointBatch, PointsAreDrawnInRunsOfTheBatchCapacity)
{
    EffectScene scene(CapsWithPrimitiveLimit(1000));
    ASSERT_EQ(SharedEffects.batchCapacity, 1000);
    BindPointBuffer(*scene.device);
    scene.device->Clear();
    PointBatch::Begin();
    for (int i = 0; i < 5000; ++i) {
        *PointBatch::NextPoint() = ColorVertex{static_cast<float>(i), 0, 0, 0xFFFFFFFFu};
    }
    PointBatch::EndPoints();
    EXPECT_EQ(DrawnPrimitiveCounts(*scene.device), (std::vector<UINT>{1000, 1000, 1000, 1000, 1000}));
    // Each run starts over at the buffer's start, after a discarding lock.
    EXPECT_EQ(scene.device->Vertex<ColorVertex>(3, 0).x, 3000.0f);
    for (const DeviceCall& lock : scene.device->CallsOf(DeviceMethod::VertexBufferLock)) {
        EXPECT_EQ(lock.args[2], D3DLOCK_DISCARD);
    }
}

TEST(PointBatch, TrianglesNeverStraddleTwoRuns)
{
    EffectScene scene(CapsWithPrimitiveLimit(1000));
    BindPointBuffer(*scene.device);
    scene.device->Clear();
    PointBatch::Begin();
    for (int i = 0; i < 400; ++i) {
        ColorVertex* v = PointBatch::NextTriangle();
        for (int k = 0; k < 3; ++k) {
            v[k] = ColorVertex{static_cast<float>(i), static_cast<float>(k), 0, 0};
        }
    }
    PointBatch::EndTriangles();
    // 333 triangles fill 999 vertices; the 334th starts the second run.
    EXPECT_EQ(DrawnPrimitiveCounts(*scene.device), (std::vector<UINT>{333, 67}));
    EXPECT_EQ(scene.device->Draws()[1].type, D3DPT_TRIANGLELIST);
    EXPECT_EQ(scene.device->Vertex<ColorVertex>(1, 0).x, 333.0f);
    EXPECT_EQ(scene.device->Vertex<ColorVertex>(1, 2).y, 2.0f);
}

TEST(QuadBatch, The342ndQuadStartsANewRunAtCapacity2048)
{
    EffectScene scene;
    BindQuadBuffer(*scene.device);
    scene.device->Clear();
    QuadBatch::Begin();
    for (int i = 0; i < 342; ++i) {
        TexturedVertex* quad = QuadBatch::NextQuad();
        for (int k = 0; k < 6; ++k) {
            quad[k] = TexturedVertex{static_cast<float>(i), 0, 0, 0, 0, 0};
        }
    }
    QuadBatch::End();
    EXPECT_EQ(DrawnPrimitiveCounts(*scene.device), (std::vector<UINT>{682, 2}));
    EXPECT_EQ(scene.device->Vertex<TexturedVertex>(1, 0).x, 341.0f);
}

TEST(QuadBatch, AnEmptyBatchDrawsNothingAndLeavesTheBufferUnlocked)
{
    EffectScene scene;
    BindQuadBuffer(*scene.device);
    scene.device->Clear();
    QuadBatch::Begin();
    QuadBatch::End();
    PointBatch::Begin();
    PointBatch::EndPoints();
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::DrawPrimitive), 0u);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::VertexBufferLock),
              scene.device->CountOf(DeviceMethod::VertexBufferUnlock));
}

TEST(Billboard, IsASquareOfTheGivenSideFacingTheCamera)
{
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0, 5, 6), at(0, 3, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    SetEffectView(view);
    TexturedVertex quad[6];
    const D3DXVECTOR3 centre(1, 4, -2);
    ASSERT_TRUE(BuildBillboard(centre, 2.0f, 0x12345678u, Effects.viewRotation, Effects.inverseViewRotation, quad));

    // In view space every corner shares the centre's depth, half the side away on x and y.
    D3DXVECTOR3 c;
    D3DXVec3TransformCoord(&c, &centre, &view);
    for (int i = 0; i < 6; ++i) {
        D3DXVECTOR3 p(quad[i].x, quad[i].y, quad[i].z);
        D3DXVECTOR3 v;
        D3DXVec3TransformCoord(&v, &p, &view);
        EXPECT_NEAR(v.z, c.z, 1e-4f);
        EXPECT_NEAR(std::abs(v.x - c.x), 1.0f, 1e-4f);
        EXPECT_NEAR(std::abs(v.y - c.y), 1.0f, 1e-4f);
        EXPECT_EQ(quad[i].color, 0x12345678u);
        // Texture v = 0 is the top edge of the screen.
        EXPECT_EQ(quad[i].v == 0.0f, v.y > c.y);
        EXPECT_EQ(quad[i].u == 0.0f, v.x < c.x);
    }
}
