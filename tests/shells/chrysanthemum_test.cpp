// SPDX-License-Identifier: GPL-3.0-or-later
// The chrysanthemum shell's stars and trails over its life, and layer 1's crossed-ribbon triangles and states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/vertex_formats.h"
#include "shells/chrysanthemum_layer.h"
#include "shells/chrysanthemum_shell.h"
#include "shells/layer_registry.h"
#include "tests/support/effect_scene.h"
#include "tests/support/effect_test_helpers.h"

namespace {

const RGBA Red{1.0f, 0.0f, 0.0f, 1.0f};
const RGBA Blue{0.0f, 0.0f, 1.0f, 0.0f};
const RGBA Green{0.0f, 1.0f, 0.0f, 1.0f};

// Trail factor 1 throughout, so the trail samples sit at t × 0.75, 0.5 and 0.25.
ColorRamp TestRamp(const RGBA& first, const RGBA& last)
{
    ColorRamp ramp;
    ramp.AddKey(0.0f, first, 0.1f, 1.0f);
    ramp.AddKey(1.0f, last, 0.05f, 1.0f);
    return ramp;
}

// The path of a star in normalised time tau.
D3DXVECTOR3 Path(const D3DXVECTOR3& position, const D3DXVECTOR3& velocity, float tau)
{
    D3DXVECTOR3 p = position + ExpansionCurve(tau) * velocity;
    p.y -= tau * tau;
    return p;
}

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, const char* what, int star)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what << " of star " << star;
    EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what << " of star " << star;
    EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what << " of star " << star;
}

// An object of layer 1 that is not a chrysanthemum shell.
class StrayObject : public FireObject {
public:
    StrayObject() : FireObject(LayerChrysanthemum, 1.0f) {}
    void Start() override {}
    void Update() override {}
    void Draw() override {}
};

// The effect system on a recording device, and a layer 1 of the test's own.
class ChrysanthemumTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(scene.created, S_OK);
        TextureStageResetFlag = true;
    }

    void TearDown() override
    {
        layer.Clear();
        TextureStageResetFlag = true;
    }

    ChrysanthemumShell* Launch(const RGBA& first = Red, const RGBA& last = Blue, int density = 25,
                               float duration = 3.0f)
    {
        auto* shell = new ChrysanthemumShell(0.5f, 4.0f, -1.0f, density, duration, 2.0f, TestRamp(first, last));
        layer.Enqueue(shell);
        return shell;
    }

    // One update pass of the test's layer at the given application time.
    void Advance(float time) { UpdateLayerAt(layer, time); }

    void DrawLayer()
    {
        scene.device->Clear();
        layer.Draw();
    }

    // Every vertex the recorded draws streamed, in order.
    std::vector<ColorVertex> DrawnVertices() const
    {
        std::vector<ColorVertex> vertices;
        for (const DrawRecord& draw : scene.device->Draws()) {
            for (UINT i = 0; i < draw.vertexCount; ++i) {
                vertices.push_back(draw.Vertex<ColorVertex>(i));
            }
        }
        return vertices;
    }

    DWORD RenderState(D3DRENDERSTATETYPE state) const
    {
        DWORD value = 0;
        scene.device->GetRenderState(state, &value);
        return value;
    }

    EffectScene scene;
    ChrysanthemumLayer layer;
};

// The eight triangles of one star, in emission order, as in the layer's table.
using StarPoint = D3DXVECTOR3 ChrysanthemumStar::*;
constexpr StarPoint RibbonTable[8][3] = {
    {&ChrysanthemumStar::head, &ChrysanthemumStar::trailPoint1, &ChrysanthemumStar::trailPoint1Low},
    {&ChrysanthemumStar::trailPoint1, &ChrysanthemumStar::trailPoint2, &ChrysanthemumStar::trailPoint1Low},
    {&ChrysanthemumStar::trailPoint1Low, &ChrysanthemumStar::trailPoint2, &ChrysanthemumStar::trailPoint2Low},
    {&ChrysanthemumStar::trailPoint2, &ChrysanthemumStar::trailPoint3, &ChrysanthemumStar::trailPoint2Low},
    {&ChrysanthemumStar::head, &ChrysanthemumStar::trailPoint1Plus, &ChrysanthemumStar::trailPoint1Minus},
    {&ChrysanthemumStar::trailPoint1Plus, &ChrysanthemumStar::trailPoint2Plus, &ChrysanthemumStar::trailPoint1Minus},
    {&ChrysanthemumStar::trailPoint1Minus, &ChrysanthemumStar::trailPoint2Plus, &ChrysanthemumStar::trailPoint2Minus},
    {&ChrysanthemumStar::trailPoint2Plus, &ChrysanthemumStar::trailPoint3, &ChrysanthemumStar::trailPoint2Minus},
};

// Checks that vertices[from...] hold every star of the shell as the table's triangles in its colour.
void ExpectShellTriangles(const std::vector<ColorVertex>& vertices, size_t from, const ChrysanthemumShell& shell)
{
    const DWORD color = PackColor(shell.color.r, shell.color.g, shell.color.b, shell.color.a);
    ASSERT_GE(vertices.size(), from + static_cast<size_t>(shell.starCount) * 24);
    for (int star = 0; star < shell.starCount; ++star) {
        for (int triangle = 0; triangle < 8; ++triangle) {
            for (int corner = 0; corner < 3; ++corner) {
                const ColorVertex& v = vertices[from + static_cast<size_t>(star) * 24 + triangle * 3 + corner];
                const D3DXVECTOR3& expected = shell.stars[star].*RibbonTable[triangle][corner];
                ASSERT_EQ(D3DXVECTOR3(v.x, v.y, v.z), expected) << "star " << star << " triangle " << triangle;
                ASSERT_EQ(v.color, color) << "star " << star;
            }
        }
    }
}

} // namespace

TEST_F(ChrysanthemumTest, StartFlashesSmokesAndLaysOutTheStarsWithTheirSides)
{
    ChrysanthemumShell* shell = Launch();
    Advance(2.0f);
    ASSERT_EQ(shell->starCount, 178);

    auto* flash = static_cast<Flash*>(FlashPool.activeList);
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->position, D3DXVECTOR3(0.5f, 4.0f, -1.0f));
    EXPECT_EQ(flash->life, 0.9f);
    EXPECT_EQ(flash->size, 5.0f);
    EXPECT_EQ(flash->intensity, 1.0f);
    EXPECT_GT(flash->color.r, flash->color.b);
    auto* smoke = static_cast<SmokePuff*>(SmokePool.activeList);
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->life, 5.0f);
    EXPECT_EQ(smoke->size, 2.0f);
    EXPECT_EQ(smoke->intensity, 1.0f);

    for (int i = 0; i < 178; ++i) {
        const ChrysanthemumStar& star = shell->stars[i];
        if (i < 12) {
            EXPECT_NEAR(star.velocity.y, 0.0f, 2.0f * std::sin(0.0501f)) << i;
        } else if ((i - 12) % 2 == 1) {
            EXPECT_EQ(star.velocity, D3DXVECTOR3(shell->stars[i - 1].velocity.x, -shell->stars[i - 1].velocity.y,
                                                 shell->stars[i - 1].velocity.z))
                << i;
        }
        // The side is half the horizontal direction with its components swapped, not negated.
        const float horizontal = std::hypot(star.velocity.x, star.velocity.z);
        ASSERT_GT(horizontal, 0.0f) << i;
        EXPECT_NEAR(star.side.x, 0.5f * star.velocity.z / horizontal, 1e-6f) << i;
        EXPECT_EQ(star.side.y, 0.0f) << i;
        EXPECT_NEAR(star.side.z, 0.5f * star.velocity.x / horizontal, 1e-6f) << i;
    }
}

TEST_F(ChrysanthemumTest, StarsFollowTheirPathsWithTheTrailSampledEarlier)
{
    ChrysanthemumShell* shell = Launch();
    Advance(1.0f);
    // The admission frame computes nothing.
    EXPECT_EQ(shell->expansion, 0.0f);
    EXPECT_EQ(shell->stars[5].head, D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    const D3DXVECTOR3 position(0.5f, 4.0f, -1.0f);
    for (float t : {0.4f, 1.0f}) {
        Advance(1.0f + 3.0f * t);
        ASSERT_EQ(shell->expansion, ExpansionCurve(t));
        EXPECT_FLOAT_EQ(shell->drop, -t * t);
        // The ramp is read at the expansion, not at t.
        const float e = shell->expansion;
        EXPECT_FLOAT_EQ(shell->size, 0.1f - 0.05f * e);
        EXPECT_FLOAT_EQ(shell->color.r, 1.0f - e);
        const D3DXVECTOR3 down(0.0f, shell->size, 0.0f);
        for (int i : {0, 11, 12, 100, 177}) {
            const ChrysanthemumStar& star = shell->stars[i];
            const D3DXVECTOR3& v = star.velocity;
            ExpectNear(star.head, Path(position, v, t), "head", i);
            ExpectNear(star.trailPoint1, Path(position, v, 0.75f * t), "trail 1", i);
            ExpectNear(star.trailPoint2, Path(position, v, 0.5f * t), "trail 2", i);
            ExpectNear(star.trailPoint3, Path(position, v, 0.25f * t), "trail 3", i);
            ExpectNear(star.trailPoint1Low, star.trailPoint1 - down, "trail 1 low", i);
            ExpectNear(star.trailPoint2Low, star.trailPoint2 - down, "trail 2 low", i);
            ExpectNear(star.trailPoint1Plus, star.trailPoint1 + shell->size * star.side, "trail 1 plus", i);
            ExpectNear(star.trailPoint1Minus, star.trailPoint1 - shell->size * star.side, "trail 1 minus", i);
            ExpectNear(star.trailPoint2Plus, star.trailPoint2 + shell->size * star.side, "trail 2 plus", i);
            ExpectNear(star.trailPoint2Minus, star.trailPoint2 - shell->size * star.side, "trail 2 minus", i);
        }
    }
    // At t = 1 the heads reach P + v, one unit down.
    ExpectNear(shell->stars[7].head, position + shell->stars[7].velocity - D3DXVECTOR3(0.0f, 1.0f, 0.0f), "end", 7);

    // The first frame past the end kills it without another position update.
    const D3DXVECTOR3 last = shell->stars[7].head;
    Effects.time = 4.01f;
    shell->Update();
    EXPECT_TRUE(shell->dead);
    EXPECT_EQ(shell->stars[7].head, last);
    layer.Reap();
    EXPECT_EQ(layer.activeList, nullptr);
}

TEST_F(ChrysanthemumTest, ShellsWithoutStarsOrDurationDrawNothingAndEndSafely)
{
    // A duration that is not positive would never reach t > 1: such shells end in their first pass.
    Launch(Red, Blue, 25, 0.0f);
    Launch(Red, Blue, 25, -2.0f);
    Advance(0.0f);
    EXPECT_EQ(layer.activeList, nullptr);
    // An empty layer touches nothing.
    DrawLayer();
    EXPECT_TRUE(scene.device->Calls().empty());

    // A density below 4 gives no stars, but the shell flashes, smokes and lives its full duration.
    ChrysanthemumShell* shell = Launch(Red, Blue, 3);
    Advance(0.0f);
    ASSERT_EQ(shell->starCount, 0);
    EXPECT_NE(FlashPool.activeList, nullptr);
    EXPECT_NE(SmokePool.activeList, nullptr);
    Advance(3.0f);
    ASSERT_EQ(layer.activeList, shell);
    DrawLayer();
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::DrawPrimitive), 0u);
    Advance(3.01f);
    EXPECT_EQ(layer.activeList, nullptr);
}

TEST_F(ChrysanthemumTest, DrawsEightTrianglesPerStarSplitOnlyBetweenWholeTriangles)
{
    ChrysanthemumShell* shell = Launch();
    Advance(1.0f);
    Advance(1.9f);
    DrawLayer();

    size_t triangles = 0;
    for (const DrawRecord& draw : scene.device->Draws()) {
        EXPECT_EQ(draw.type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(draw.vertexCount, draw.primitiveCount * 3);
        EXPECT_LE(draw.vertexCount, static_cast<UINT>(SharedEffects.batchCapacity));
        triangles += draw.primitiveCount;
    }
    EXPECT_EQ(triangles, 178u * 8u);
    // 2048 vertices hold 682 whole triangles.
    ASSERT_EQ(scene.device->Draws().size(), 3u);
    EXPECT_EQ(scene.device->Draws()[0].primitiveCount, 682u);
    EXPECT_EQ(scene.device->Draws()[1].primitiveCount, 682u);
    EXPECT_EQ(scene.device->Draws()[2].primitiveCount, 60u);
    ExpectShellTriangles(DrawnVertices(), 0, *shell);
}

TEST_F(ChrysanthemumTest, ShellsDrawInListOrderSkippingAdmissionFramesAndForeignObjects)
{
    ChrysanthemumShell* first = Launch(Red, Blue);
    layer.Enqueue(new StrayObject());
    ChrysanthemumShell* second = Launch(Green, Blue);
    Advance(1.0f);
    Advance(2.0f);
    // A third shell admitted in this frame has no positions yet and adds nothing.
    Launch(Red, Red);
    Advance(2.5f);
    DrawLayer();

    const std::vector<ColorVertex> vertices = DrawnVertices();
    ASSERT_EQ(vertices.size(), 2u * 178u * 24u);
    ExpectShellTriangles(vertices, 0, *first);
    ExpectShellTriangles(vertices, 178u * 24u, *second);
    EXPECT_NE(vertices.front().color, vertices.back().color);
}

TEST_F(ChrysanthemumTest, DrawsUntexturedSourceAlphaTrianglesAndRestoresCullingAndSourceBlend)
{
    Launch();
    Advance(1.0f);
    Advance(2.0f);
    scene.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    scene.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 5.0f, 0.0f, 0.0f);
    scene.device->SetTransform(D3DTS_WORLD, &moved);
    DrawLayer();

    ASSERT_FALSE(scene.device->Draws().empty());
    for (const DrawRecord& draw : scene.device->Draws()) {
        const DeviceState& state = draw.state;
        EXPECT_EQ(state.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(FALSE));
        EXPECT_EQ(state.renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(TRUE));
        EXPECT_EQ(state.renderStates[D3DRS_SRCBLEND], static_cast<DWORD>(D3DBLEND_SRCALPHA));
        EXPECT_EQ(state.renderStates[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(state.renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_NONE));
        EXPECT_EQ(state.textures[0], nullptr);
        EXPECT_EQ(state.vertexShader, ColorVertexFVF);
        EXPECT_EQ(state.streamSource, SharedEffects.pointBuffer);
        EXPECT_EQ(state.streamStride, sizeof(ColorVertex));
        // The stars are in world coordinates.
        EXPECT_EQ(state.transforms[10]._41, 0.0f);
        EXPECT_EQ(state.transforms[10]._11, 1.0f);
    }
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(FALSE));
}

TEST_F(ChrysanthemumTest, TheTextureStageResetFollowsTheFlag)
{
    Launch();
    Advance(1.0f);
    Advance(2.0f);
    // A texture transform of two coordinates and a second coordinate set, left by someone else.
    const DWORD count2 = 2;
    scene.device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, count2);
    scene.device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);

    TextureStageResetFlag = false;
    DrawLayer();
    EXPECT_EQ(scene.device->CountOf(DeviceMethod::SetTextureStageState), 0u);

    TextureStageResetFlag = true;
    DrawLayer();
    const std::vector<DeviceCall> resets = scene.device->CallsOf(DeviceMethod::SetTextureStageState);
    ASSERT_EQ(resets.size(), 2u);
    EXPECT_EQ(resets[0].args[1], static_cast<DWORD>(D3DTSS_TEXTURETRANSFORMFLAGS));
    EXPECT_EQ(resets[0].args[2], static_cast<DWORD>(D3DTTFF_DISABLE));
    EXPECT_EQ(resets[1].args[1], static_cast<DWORD>(D3DTSS_TEXCOORDINDEX));
    EXPECT_EQ(resets[1].args[2], 0u);
    // The reset follows the triangles.
    const std::vector<DeviceCall>& calls = scene.device->Calls();
    const auto isMethod = [](DeviceMethod method) { return [method](const DeviceCall& c) { return c.method == method; }; };
    const auto lastDraw = std::find_if(calls.rbegin(), calls.rend(), isMethod(DeviceMethod::DrawPrimitive));
    const auto firstReset = std::find_if(calls.begin(), calls.end(), isMethod(DeviceMethod::SetTextureStageState));
    ASSERT_NE(lastDraw, calls.rend());
    EXPECT_LT(lastDraw.base() - calls.begin(), firstReset - calls.begin());
}
