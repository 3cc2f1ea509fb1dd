// SPDX-License-Identifier: GPL-3.0-or-later
// Particle pools and the three particle passes, on the recording device.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_passes.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_formats.h"
#include "shells/layer_registry.h"
#include "tests/support/effect_scene.h"
#include "tests/support/effect_test_helpers.h"

namespace {

// The horizontal and vertical reach of a draw's vertices.
struct Extent {
    float left = 1e30f;
    float right = -1e30f;
    float bottom = 1e30f;
    float top = -1e30f;
};

Extent ExtentOf(const DrawRecord& draw)
{
    Extent e;
    for (UINT i = 0; i < draw.vertexCount; ++i) {
        const TexturedVertex v = draw.Vertex<TexturedVertex>(i);
        e.left = std::min(e.left, v.x);
        e.right = std::max(e.right, v.x);
        e.bottom = std::min(e.bottom, v.y);
        e.top = std::max(e.top, v.y);
    }
    return e;
}

} // namespace

TEST(ParticlePool, AFullPoolRecyclesItsOldestRecord)
{
    FillParticlePools();
    Effects.time = 0.0f;
    for (int i = 0; i < FlashCapacity; ++i) {
        SpawnFlash(static_cast<float>(i), 0, 0, 1.0f, 1.0f, 1.0f, D3DXCOLOR(1, 1, 1, 1));
    }
    EXPECT_EQ(FlashPool.freeList, nullptr);
    SpawnFlash(10.0f, 0, 0, 1.0f, 1.0f, 1.0f, D3DXCOLOR(1, 1, 1, 1));
    EXPECT_EQ(CountActive(FlashPool), FlashCapacity);
    // Newest first; the flash at x = 0 gave way and x = 1 is now the oldest.
    EXPECT_EQ(static_cast<Flash*>(FlashPool.activeList)->position.x, 10.0f);
    ParticleRecord* last = FlashPool.activeList;
    while (last->next != nullptr) {
        last = last->next;
    }
    EXPECT_EQ(static_cast<Flash*>(last)->position.x, 1.0f);
}

TEST(ParticlePool, ReleaseAndAllocateKeepBothListsConsistent)
{
    FillParticlePools();
    Spark* sparks[3];
    for (Spark*& s : sparks) {
        SpawnSpark(0, 0, 0, 0, 0, 0, 1.0f, false);
        s = static_cast<Spark*>(SparkPool.activeList);
    }
    SparkPool.Release(sparks[1]);
    EXPECT_EQ(CountActive(SparkPool), 2);
    EXPECT_EQ(SparkPool.activeList, sparks[2]);
    EXPECT_EQ(sparks[2]->next, sparks[0]);
    EXPECT_EQ(SparkPool.freeList, sparks[1]);
    // The released record is the next one handed out.
    EXPECT_EQ(SparkPool.Allocate(), sparks[1]);
    SparkPool.Release(sparks[0]);
    SparkPool.Release(sparks[2]);
    SparkPool.Release(sparks[1]);
    EXPECT_EQ(SparkPool.activeList, nullptr);
    int free = 0;
    for (ParticleRecord* r = SparkPool.freeList; r != nullptr; r = r->next) {
        ++free;
    }
    EXPECT_EQ(free, SparkCapacity);
}

TEST(ParticlePool, SpawnersDesaturateFlashesAndPickAQuarterOfSmoke)
{
    FillParticlePools();
    Effects.time = 3.0f;
    SpawnFlash(0, 0, 0, 1.0f, 1.0f, 1.0f, D3DXCOLOR(1, 0, 0, 0.5f));
    const Flash& flash = *static_cast<Flash*>(FlashPool.activeList);
    const float grey = 0.2125f;
    EXPECT_NEAR(flash.color.r, grey + 0.3f * (1 - grey), 1e-6f);
    EXPECT_NEAR(flash.color.g, grey - 0.3f * grey, 1e-6f);
    EXPECT_EQ(flash.color.a, 0.5f);
    EXPECT_EQ(flash.birth, 3.0f);

    ResetRuntimeRand();
    for (int i = 0; i < 200; ++i) {
        SpawnSmoke(0, 0, 0, 1.0f, 1.0f, 1.0f);
        const int image = static_cast<SmokePuff*>(SmokePool.activeList)->image;
        ASSERT_GE(image, 0);
        ASSERT_LE(image, 3);
    }
}

TEST(SparkPass, FadesSparksAndRetiresThemOnlyPastTheirLife)
{
    EffectScene scene;
    Effects.time = 0.0f;
    SpawnSpark(1, 2, 3, 2, 0, 0, 1.0f, false);
    scene.device->Clear();
    Effects.time = 0.5f;
    DrawSparks();
    auto draws = DrawsWithTexture(*scene.device, TextureStar);
    ASSERT_EQ(draws.size(), 1u);
    ColorVertex v = draws[0]->Vertex<ColorVertex>(0);
    EXPECT_FLOAT_EQ(v.x, 2.0f);
    EXPECT_EQ(v.color, PackColor(0.5f, 0.4f, 0.2f, 0.5f));
    EXPECT_EQ(draws[0]->state.renderStates[D3DRS_POINTSIZE], std::bit_cast<DWORD>(0.04f));
    EXPECT_EQ(draws[0]->state.renderStates[D3DRS_ZWRITEENABLE], FALSE);

    // At exactly t = 1 it is still alive but black: it would add nothing, so nothing is drawn.
    scene.device->Clear();
    Effects.time = 1.0f;
    DrawSparks();
    EXPECT_NE(SparkPool.activeList, nullptr);
    EXPECT_TRUE(DrawsWithTexture(*scene.device, TextureStar).empty());

    // Past it the spark is gone and the pass leaves the device alone.
    scene.device->Clear();
    Effects.time = 1.001f;
    DrawSparks();
    EXPECT_EQ(SparkPool.activeList, nullptr);
    EXPECT_TRUE(scene.device->Calls().empty());
}

TEST(SparkPass, TwinklingSparksShowInAboutOneFrameInTenAtJitteredPlaces)
{
    EffectScene scene;
    Effects.time = 0.0f;
    SpawnSpark(0, 3, 0, 0, 0, 0, 1.0e6f, true);
    int shown = 0;
    float lastX = 100.0f;
    for (int frame = 0; frame < 2000; ++frame) {
        scene.device->Clear();
        DrawSparks();
        const auto draws = DrawsWithTexture(*scene.device, TextureShine2);
        if (draws.empty()) {
            continue;
        }
        ++shown;
        const ColorVertex v = draws[0]->Vertex<ColorVertex>(0);
        EXPECT_EQ(v.color, 0xFFFFFFFFu);
        EXPECT_LE(std::abs(v.x), 0.25f);
        EXPECT_LE(std::abs(v.y - 3.0f), 0.25f);
        EXPECT_NE(v.x, lastX);
        lastX = v.x;
        EXPECT_EQ(draws[0]->state.renderStates[D3DRS_POINTSIZE], std::bit_cast<DWORD>(0.15f));
    }
    EXPECT_GT(shown, 140);
    EXPECT_LT(shown, 260);
}

TEST(FlashPass, BrightnessIsTheCappedSumAndTheStatesAreSetEvenWithoutFlashes)
{
    EffectScene scene;
    scene.device->Clear();
    DrawFlashes();
    EXPECT_EQ(FlashBrightness, 0.0f);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::SetRenderState), 4u);
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::DrawPrimitive), 0u);

    Effects.time = 0.0f;
    SpawnFlash(0, 4, 0, 1.0f, 3.0f, 0.3f, D3DXCOLOR(1, 1, 1, 1));
    DrawFlashes();
    EXPECT_NEAR(FlashBrightness, 0.3f, 0.031f);
    EXPECT_EQ(static_cast<Flash*>(FlashPool.activeList)->brightness, FlashBrightness);

    for (int i = 0; i < 11; ++i) {
        SpawnFlash(0, 4, 0, 1.0f, 3.0f, 1.0f, D3DXCOLOR(1, 1, 1, 1));
    }
    for (int frame = 0; frame < 50; ++frame) {
        DrawFlashes();
        ASSERT_LE(FlashBrightness, 1.0f);
    }
    EXPECT_EQ(FlashBrightness, 1.0f);

    // Once every flash has expired the brightness is back to 0.
    Effects.time = 1.5f;
    DrawFlashes();
    EXPECT_EQ(FlashBrightness, 0.0f);
    EXPECT_EQ(FlashPool.activeList, nullptr);
}

TEST(FlashPass, DrawsAGrowingFlickeringSquareWithTheLightTexture)
{
    EffectScene scene;
    Effects.time = 0.0f;
    SpawnFlash(0, 0, 0, 2.0f, 1.0f, 1.0f, D3DXCOLOR(1, 1, 1, 1));
    Effects.time = 1.0f;
    scene.device->Clear();
    DrawFlashes();
    const auto draws = DrawsWithTexture(*scene.device, TextureLight);
    ASSERT_EQ(draws.size(), 1u);
    // t = 0.5: side (0.5 + 1) * 0.5 = 0.75 under the identity view, trimmed to the round light.
    const Extent extent = ExtentOf(*draws[0]);
    EXPECT_NEAR(extent.right - extent.left, 0.75f * 0.93f, 1e-5f);
    EXPECT_NEAR(extent.top - extent.bottom, 0.75f * 0.93f, 1e-5f);
    const TexturedVertex a = draws[0]->Vertex<TexturedVertex>(1);
    // k is 0.5 +- 0.1, so every channel of the white flash lies within those bounds.
    const D3DXCOLOR c(a.color);
    EXPECT_GE(c.r, 0.39f);
    EXPECT_LE(c.r, 0.61f);
    EXPECT_EQ(draws[0]->state.renderStates[D3DRS_SRCBLEND], D3DBLEND_ONE);
    EXPECT_EQ(draws[0]->state.renderStates[D3DRS_DESTBLEND], D3DBLEND_ONE);
}

TEST(SmokePass, APuffFarFromFlashesIsAFadingNeutralGreyThatDrifts)
{
    EffectScene scene;
    Effects.time = 0.0f;
    SpawnSmoke(0, 0, 0, 4.0f, 1.0f, 0.8f);
    Effects.time = 2.0f;
    scene.device->Clear();
    DrawSmoke();
    const auto draws = DrawsWithTexture(*scene.device, TextureBurstSmoke);
    ASSERT_EQ(draws.size(), 1u);
    const TexturedVertex v = draws[0]->Vertex<TexturedVertex>(0);
    // base = (1 - 0.5) * 0.8 * 0.5 = 0.2 in every channel and in alpha.
    EXPECT_EQ(v.color, PackColor(0.2f, 0.2f, 0.2f, 0.2f));
    // Centre drifted 0.4 along x; the puff reaches half the side (0.75) each way.
    const Extent extent = ExtentOf(*draws[0]);
    EXPECT_NEAR(extent.left, 0.4f - 0.375f, 1e-5f);
    EXPECT_NEAR(extent.right, 0.4f + 0.375f, 1e-5f);
    EXPECT_NEAR(extent.top, 0.375f, 1e-5f);
}

TEST(SmokePass, AFlashTintsANearbyPuffAtMostToTwiceItsGrey)
{
    EffectScene scene;
    Effects.time = 0.0f;
    SpawnSmoke(0, 0, 0, 4.0f, 1.0f, 0.8f);
    SpawnFlash(0, 0, 0, 1.0f, 1.0f, 1.0f, D3DXCOLOR(1, 0, 0, 1));
    DrawFlashes();
    scene.device->Clear();
    DrawSmoke();
    const auto draws = DrawsWithTexture(*scene.device, TextureBurstSmoke);
    ASSERT_EQ(draws.size(), 1u);
    const D3DXCOLOR c(draws[0]->Vertex<TexturedVertex>(0).color);
    // base 0.4, limit 0.8: the red flash pushes red to the limit and green a little above grey.
    EXPECT_NEAR(c.r, 0.8f, 0.01f);
    EXPECT_GT(c.g, 0.41f);
    EXPECT_LT(c.g, c.r);
    EXPECT_NEAR(c.a, 0.4f, 0.01f);
}

TEST(SmokePass, ImageThreeShowsTheLowerRightQuarter)
{
    EffectScene scene;
    Effects.time = 0.0f;
    // Find a seed state whose next draw gives image 3.
    std::uint32_t state = 1;
    for (;; ++state) {
        ResetRuntimeRand(state);
        if (static_cast<int>(Random01() * 4) == 3) {
            break;
        }
    }
    ResetRuntimeRand(state);
    SpawnSmoke(0, 0, 0, 1.0f, 1.0f, 1.0f);
    ASSERT_EQ(static_cast<SmokePuff*>(SmokePool.activeList)->image, 3);
    scene.device->Clear();
    DrawSmoke();
    const auto draws = DrawsWithTexture(*scene.device, TextureBurstSmoke);
    ASSERT_EQ(draws.size(), 1u);
    float lowestU = 1.0f;
    float highestV = 0.0f;
    for (UINT i = 0; i < draws[0]->vertexCount; ++i) {
        const TexturedVertex v = draws[0]->Vertex<TexturedVertex>(i);
        EXPECT_GE(v.u, 0.5f);
        EXPECT_LE(v.u, 1.0f);
        EXPECT_GE(v.v, 0.5f);
        EXPECT_LE(v.v, 1.0f);
        lowestU = std::min(lowestU, v.u);
        highestV = std::max(highestV, v.v);
    }
    EXPECT_EQ(lowestU, 0.5f);
    EXPECT_EQ(highestV, 1.0f);
}
