// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed-function facts the GL device must keep, checked in read-back pixels against the formulas.
#include "gl_test_scene.h"

#include <cmath>

namespace {

constexpr D3DCOLOR Red = 0xFFFF0000u;
constexpr D3DCOLOR Green = 0xFF00FF00u;
constexpr D3DCOLOR Blue = 0xFF0000FFu;
constexpr D3DCOLOR White = 0xFFFFFFFFu;

bool Near(const Rgb& pixel, int r, int g, int b, int tolerance = 2)
{
    return std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance && std::abs(pixel.b - b) <= tolerance;
}

std::string Show(const Rgb& p) { return std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b); }

// A square facing the camera at depth z, side 2 × half, centred on the view axis.
std::vector<XyzColor> Square(float z, float half, D3DCOLOR color)
{
    return {{-half, half, z, color}, {half, half, z, color},  {-half, -half, z, color},
            {half, half, z, color},  {half, -half, z, color}, {-half, -half, z, color}};
}

} // namespace

TEST_F(GlScene, PreTransformedVerticesHitPixelCentresFromTheTopLeft)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(DrawRect(10, 20, 30, 40, Red), D3D_OK);
    const std::vector<Rgb> frame = ReadFrame();
    ASSERT_FALSE(frame.empty());
    const auto at = [&](int x, int y) { return frame[y * Size + x]; };
    // Every covered pixel and none of its neighbours: half-pixel edges land exactly between centres.
    EXPECT_TRUE(Near(at(10, 20), 255, 0, 0)) << Show(at(10, 20));
    EXPECT_TRUE(Near(at(29, 39), 255, 0, 0)) << Show(at(29, 39));
    EXPECT_TRUE(Near(at(9, 20), 0, 0, 0)) << Show(at(9, 20));
    EXPECT_TRUE(Near(at(30, 39), 0, 0, 0)) << Show(at(30, 39));
    EXPECT_TRUE(Near(at(10, 19), 0, 0, 0)) << Show(at(10, 19));
    EXPECT_TRUE(Near(at(29, 40), 0, 0, 0)) << Show(at(29, 40));
    int covered = 0;
    for (const Rgb& p : frame) {
        covered += p.r > 128 ? 1 : 0;
    }
    EXPECT_EQ(covered, 20 * 20);
}

TEST_F(GlScene, ClearFillsTheViewportOrTheGivenRectangles)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, Blue, 1.0f, 0), D3D_OK);
    D3DVIEWPORT8 viewport = {0, 0, 32, 32, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, Red, 1.0f, 0), D3D_OK);
    const D3DRECT rect = {40, 0, 50, 10};
    viewport = {0, 0, Size, Size, 0.0f, 1.0f};
    device->SetViewport(&viewport);
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, Green, 1.0f, 0), D3D_OK);
    const std::vector<Rgb> frame = ReadFrame();
    ASSERT_FALSE(frame.empty());
    EXPECT_TRUE(Near(frame[31 * Size + 31], 255, 0, 0));
    EXPECT_TRUE(Near(frame[32 * Size + 32], 0, 0, 255));
    EXPECT_TRUE(Near(frame[5 * Size + 45], 0, 255, 0));
    EXPECT_TRUE(Near(frame[5 * Size + 50], 0, 0, 255));
}

TEST_F(GlScene, CullingFollowsClockwiseFrontFaces)
{
    // On screen (y down): top-left, top-right, bottom-left turns clockwise.
    const std::vector<XyzRhwColorTex> clockwise = {
        {0, 0, 0.5f, 1, Red, 0, 0}, {63, 0, 0.5f, 1, Red, 0, 0}, {0, 63, 0.5f, 1, Red, 0, 0}};
    const std::vector<XyzRhwColorTex> counterClockwise = {
        {0, 0, 0.5f, 1, Green, 0, 0}, {0, 63, 0.5f, 1, Green, 0, 0}, {63, 0, 0.5f, 1, Green, 0, 0}};
    struct Case {
        DWORD cull;
        bool clockwiseDrawn;
        bool counterClockwiseDrawn;
    };
    const Case cases[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
    for (const Case& c : cases) {
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzRhwColorTex, clockwise, 1), D3D_OK);
        EXPECT_EQ(Pixel(5, 5).r > 128, c.clockwiseDrawn) << "cull mode " << c.cull;
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzRhwColorTex, counterClockwise, 1), D3D_OK);
        EXPECT_EQ(Pixel(5, 5).g > 128, c.counterClockwiseDrawn) << "cull mode " << c.cull;
    }
}

TEST_F(GlScene, TransformsUseRowVectorsAndTheZeroToOneDepthRange)
{
    SetCamera();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    // A triangle on the upper right of the view: +x is right and +y is up on screen.
    const std::vector<XyzColor> upperRight = {{0.1f, 0.1f, 5, Red}, {5, 0.1f, 5, Red}, {0.1f, 5, 5, Red}};
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, upperRight, 1), D3D_OK);
    EXPECT_GT(Pixel(48, 16).r, 128);
    EXPECT_LT(Pixel(16, 48).r, 16);
    EXPECT_LT(Pixel(48, 48).r, 16);

    // Depth: the nearer square wins whatever the order; a square before the near plane is clipped.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(10, 20, Red), 2), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(20, 40, Green), 2), D3D_OK);
    EXPECT_TRUE(Near(Pixel(32, 32), 255, 0, 0));
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(0.9f, 2, Blue), 2), D3D_OK);
    EXPECT_TRUE(Near(Pixel(32, 32), 255, 0, 0)) << "a square before the near plane must be clipped";

    // With depth writes off the far square no longer loses to a depth it never wrote.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(10, 20, Red), 2);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(20, 40, Green), 2);
    EXPECT_TRUE(Near(Pixel(32, 32), 0, 255, 0));
    // The test still hides what lies behind a nearer clear or a depth written since the clear.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(20, 40, Green), 2);
    EXPECT_TRUE(Near(Pixel(32, 32), 0, 0, 0)) << Show(Pixel(32, 32));
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(10, 20, Red), 2);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(20, 40, Green), 2);
    EXPECT_TRUE(Near(Pixel(32, 32), 255, 0, 0)) << Show(Pixel(32, 32));
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    // A clear to the far plane holds for the first draw that tests depth, however late it comes.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(10, 20, Blue), 2);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(20, 40, Green), 2);
    EXPECT_TRUE(Near(Pixel(32, 32), 0, 255, 0)) << Show(Pixel(32, 32));
}

TEST_F(GlScene, UserClipPlanesCutInWorldSpaceWhileEnabled)
{
    SetCamera();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // Keeps world x >= 2: at depth 10 that is pixel column 32 + 32 * 2 / 10 = 38.4.
    const float plane[4] = {1.0f, 0.0f, 0.0f, -2.0f};
    ASSERT_EQ(device->SetClipPlane(0, plane), D3D_OK);
    float back[4] = {};
    ASSERT_EQ(device->GetClipPlane(0, back), D3D_OK);
    EXPECT_EQ(back[3], -2.0f);
    EXPECT_EQ(device->SetClipPlane(6, plane), D3DERR_INVALIDCALL);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    // The square moved 5 to the right by its world transform: the cut stays where the world plane is.
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    world._41 = 5.0f;
    device->SetTransform(D3DTS_WORLD, &world);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(10, 20, Red), 2), D3D_OK);
    EXPECT_LT(Pixel(37, 32).r, 16);
    EXPECT_GT(Pixel(40, 32).r, 128);

    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(10, 20, Red), 2), D3D_OK);
    EXPECT_GT(Pixel(37, 32).r, 128);
}

TEST_F(GlScene, IndexedDrawsHonourTheBaseVertex)
{
    const std::vector<XyzRhwColorTex> vertices = {
        {0, 0, 0.5f, 1, Green, 0, 0},  {63, 0, 0.5f, 1, Green, 0, 0}, {0, 63, 0.5f, 1, Green, 0, 0},
        {32, 0, 0.5f, 1, Red, 0, 0},   {63, 0, 0.5f, 1, Red, 0, 0},   {63, 32, 0.5f, 1, Red, 0, 0},
    };
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(6 * sizeof(XyzRhwColorTex), 0, FvfXyzRhwColorTex, D3DPOOL_MANAGED, &vb),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
    BYTE* bytes = nullptr;
    vb->Lock(0, 0, &bytes, 0);
    std::memcpy(bytes, vertices.data(), 6 * sizeof(XyzRhwColorTex));
    vb->Unlock();
    ib->Lock(0, 0, &bytes, 0);
    const WORD indices[3] = {0, 1, 2};
    std::memcpy(bytes, indices, sizeof indices);
    ib->Unlock();
    device->SetStreamSource(0, vb, sizeof(XyzRhwColorTex));
    device->SetVertexShader(FvfXyzRhwColorTex);
    device->SetIndices(ib, 3);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
    EXPECT_GT(Pixel(60, 4).r, 128);
    EXPECT_LT(Pixel(4, 4).g, 16) << "the indices name vertices from the base on";
    // An index past the buffer's end is refused instead of read.
    device->SetIndices(ib, 4);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 2, 0, 1), D3DERR_INVALIDCALL);
    device->SetIndices(nullptr, 0);
    device->SetStreamSource(0, nullptr, 0);
    ib->Release();
    vb->Release();
}

TEST_F(GlScene, BlendingAddsAndWeighsBySourceAlpha)
{
    // Alpha from the vertex colour: stage 0 would otherwise take it from the (white) texture.
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00404040u, 1.0f, 0);
    DrawRect(0, 0, 32, 32, 0xFF302010u);
    DrawRect(0, 0, 16, 16, 0xFF302010u);
    EXPECT_TRUE(Near(Pixel(20, 20), 0x70, 0x60, 0x50)) << Show(Pixel(20, 20));
    EXPECT_TRUE(Near(Pixel(8, 8), 0xA0, 0x80, 0x60)) << Show(Pixel(8, 8));

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00404040u, 1.0f, 0);
    DrawRect(0, 0, 32, 32, 0x40FF8000u);
    const float a = 64.0f / 255.0f;
    EXPECT_TRUE(Near(Pixel(10, 10), 0x40 + static_cast<int>(255 * a + 0.5f), 0x40 + static_cast<int>(128 * a + 0.5f),
                     0x40))
        << Show(Pixel(10, 10));

    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FFu, 1.0f, 0);
    DrawRect(0, 0, 32, 32, 0x80FF0000u);
    EXPECT_TRUE(Near(Pixel(10, 10), 128, 0, 127, 3)) << Show(Pixel(10, 10));
}

TEST_F(GlScene, TextureStageZeroModulatesSelectsAndReadsUnboundAsWhite)
{
    // Unbound: MODULATE gives the vertex colour, SELECTARG1 alpha gives 1 (opaque over the background).
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, Blue, 1.0f, 0);
    DrawRect(0, 0, 32, 32, 0x00C08040u);
    EXPECT_TRUE(Near(Pixel(5, 5), 0xC0, 0x80, 0x40)) << Show(Pixel(5, 5));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

    // A 2 × 2 texture: v = 0 is its top row; X8R8G8B8 alpha reads 1 whatever its bits hold.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    auto* row0 = static_cast<DWORD*>(locked.pBits);
    auto* row1 = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + locked.Pitch);
    row0[0] = 0x00FF0000u;
    row0[1] = 0x0000FF00u;
    row1[0] = 0x000000FFu;
    row1[1] = 0x00FFFFFFu;
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawRect(0, 0, 64, 64, 0xFF808080u);
    EXPECT_TRUE(Near(Pixel(10, 10), 128, 0, 0)) << Show(Pixel(10, 10));
    EXPECT_TRUE(Near(Pixel(50, 10), 0, 128, 0)) << Show(Pixel(50, 10));
    EXPECT_TRUE(Near(Pixel(10, 50), 0, 0, 128)) << Show(Pixel(10, 50));

    // SELECTARG1 takes the texel alone; a changed level reaches GL after its unlock.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    static_cast<DWORD*>(locked.pBits)[0] = 0x00FFFF00u;
    texture->UnlockRect(0);
    DrawRect(0, 0, 64, 64, 0xFF808080u);
    EXPECT_TRUE(Near(Pixel(10, 10), 255, 255, 0)) << Show(Pixel(10, 10));
    // SELECTARG2 and DISABLE leave the texture out.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    DrawRect(0, 0, 64, 64, 0xFF204060u);
    EXPECT_TRUE(Near(Pixel(10, 10), 0x20, 0x40, 0x60)) << Show(Pixel(10, 10));
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawRect(0, 0, 64, 64, 0xFF604020u);
    EXPECT_TRUE(Near(Pixel(50, 50), 0x60, 0x40, 0x20)) << Show(Pixel(50, 50));
    device->SetTexture(0, nullptr);
    texture->Release();

    // A4R4G4B4 glyph texels: white with coverage in alpha, as the bitmap font writes them.
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
    texture->LockRect(0, &locked, nullptr, 0);
    *static_cast<WORD*>(locked.pBits) = 0x8FFF;
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawRect(0, 0, 64, 64, 0xFFFFFF00u);
    // Alpha 8/15 of yellow over black.
    const int expected = static_cast<int>(255.0f * 8.0f / 15.0f + 0.5f);
    EXPECT_TRUE(Near(Pixel(30, 30), expected, expected, 0, 3)) << Show(Pixel(30, 30));
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GlScene, AlphaTestDiscardsBelowTheReference)
{
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 8);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawRect(0, 0, 32, 64, 0x07FF0000u);
    DrawRect(32, 0, 64, 64, 0x08FF0000u);
    EXPECT_LT(Pixel(10, 10).r, 16);
    EXPECT_GT(Pixel(40, 10).r, 240);
}

TEST_F(GlScene, FlatShadingTakesTheFirstVertexAndGouraudInterpolates)
{
    const std::vector<XyzRhwColorTex> triangle = {
        {0, 0, 0.5f, 1, Red, 0, 0}, {63, 0, 0.5f, 1, Green, 0, 0}, {0, 63, 0.5f, 1, Blue, 0, 0}};
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    Draw(D3DPT_TRIANGLELIST, FvfXyzRhwColorTex, triangle, 1);
    EXPECT_TRUE(Near(Pixel(20, 20), 255, 0, 0)) << Show(Pixel(20, 20));
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    Draw(D3DPT_TRIANGLELIST, FvfXyzRhwColorTex, triangle, 1);
    const Rgb mixed = Pixel(20, 20);
    EXPECT_GT(mixed.g, 64) << Show(mixed);
    EXPECT_GT(mixed.b, 64) << Show(mixed);
}

TEST_F(GlScene, LinearFogIsBlackAtTheEndAndAbsentAtTheStart)
{
    SetCamera();
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGCOLOR, 0);
    device->SetRenderState(D3DRS_FOGSTART, Bits(10.0f));
    device->SetRenderState(D3DRS_FOGEND, Bits(20.0f));
    struct Case {
        float depth;
        int expected;
    };
    // f = (end − z) / (end − start): white scaled by f over black fog.
    const Case cases[] = {{10.0f, 255}, {15.0f, 128}, {20.0f, 0}, {30.0f, 0}, {5.0f, 255}};
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000u, 1.0f, 0);
        ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(c.depth, 2 * c.depth, White), 2), D3D_OK);
        EXPECT_TRUE(Near(Pixel(32, 32), c.expected, c.expected, c.expected, 3))
            << "depth " << c.depth << ": " << Show(Pixel(32, 32));
    }
    // Pre-transformed vertices are never fogged.
    DrawRect(0, 0, 64, 64, White, 0.99f);
    EXPECT_TRUE(Near(Pixel(32, 32), 255, 255, 255));
}

TEST_F(GlScene, PointLightLightsVerticesAsTheFixedFunctionFormulaSays)
{
    SetCamera();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00202020u);
    D3DMATERIAL8 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Emissive = {0.05f, 0.0f, 0.0f, 0.0f};
    device->SetMaterial(&material);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    light.Range = 8.0f;
    light.Attenuation0 = 1.0f;
    light.Attenuation2 = 0.349f;
    device->LightEnable(0, TRUE);

    // The four corners of a square facing the light sit at the same distance and angle from it,
    // so the whole square takes the colour of one vertex.
    const float half = 1.0f;
    const float z = 5.0f;
    const auto expected = [&](float height, float channel, float ambient) {
        const float d = std::sqrt(2 * half * half + height * height);
        const float att = d <= light.Range ? 1.0f / (light.Attenuation0 + light.Attenuation2 * d * d) : 0.0f;
        const float lit = ambient + channel * (height / d) * att;
        return static_cast<int>(255.0f * std::min(1.0f, lit) + 0.5f);
    };
    const float ambient = 32.0f / 255.0f;
    for (const float height : {1.0f, 3.0f, 9.0f}) {
        light.Position = {0.0f, 0.0f, z - height};
        device->SetLight(0, &light);
        const std::vector<XyzNormal> square = {
            {-half, half, z, 0, 0, -1}, {half, half, z, 0, 0, -1},  {-half, -half, z, 0, 0, -1},
            {half, half, z, 0, 0, -1},  {half, -half, z, 0, 0, -1}, {-half, -half, z, 0, 0, -1}};
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzNormal, square, 2), D3D_OK);
        const Rgb pixel = Pixel(32, 32);
        EXPECT_TRUE(Near(pixel, expected(height, 1.0f, ambient + 0.05f), expected(height, 0.5f, ambient),
                         expected(height, 0.25f, ambient), 3))
            << "light " << height << " before the square: " << Show(pixel);
    }
    // Without a normal only the ambient and emissive terms remain, and the vertex colour is ignored there.
    light.Position = {0.0f, 0.0f, z - 1.0f};
    device->SetLight(0, &light);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, FvfXyzColor, Square(z, half, Green), 2), D3D_OK);
    const int flat = static_cast<int>(255.0f * ambient + 0.5f);
    EXPECT_TRUE(Near(Pixel(32, 32), static_cast<int>(255.0f * (ambient + 0.05f) + 0.5f), flat, flat, 3))
        << Show(Pixel(32, 32));
}

TEST_F(GlScene, PointSpritesCoverViewportHeightTimesSizeOverDistance)
{
    SetCamera();
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALE_A, Bits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, Bits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, Bits(1.0f));
    device->SetRenderState(D3DRS_POINTSIZE, Bits(0.5f));
    for (const float distance : {2.0f, 4.0f, 8.0f}) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        ASSERT_EQ(Draw(D3DPT_POINTLIST, FvfXyzColor, std::vector<XyzColor>{{0, 0, distance, Red}}, 1), D3D_OK);
        const std::vector<Rgb> frame = ReadFrame();
        const int diameter = static_cast<int>(Size * 0.5f / distance);
        EXPECT_NEAR(CountLit(frame, 32), diameter, 1) << "distance " << distance;
    }
    // POINTSIZE_MAX clamps.
    device->SetRenderState(D3DRS_POINTSIZE_MAX, Bits(4.0f));
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Draw(D3DPT_POINTLIST, FvfXyzColor, std::vector<XyzColor>{{0, 0, 2.0f, Red}}, 1);
    EXPECT_NEAR(CountLit(ReadFrame(), 32), 4, 1);
    device->SetRenderState(D3DRS_POINTSIZE_MAX, Bits(64.0f));

    // A point whose centre is outside the view is dropped, however large.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Draw(D3DPT_POINTLIST, FvfXyzColor, std::vector<XyzColor>{{2.2f, 0, 2.0f, Red}}, 1);
    EXPECT_EQ(CountLit(ReadFrame(), 32), 0);

    // Sprite texture coordinates start at the top-left.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    auto* texels = static_cast<DWORD*>(locked.pBits);
    texels[0] = 0xFFFF0000u;
    texels[1] = 0xFF000000u;
    reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + locked.Pitch)[0] = 0xFF000000u;
    reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + locked.Pitch)[1] = 0xFF000000u;
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Draw(D3DPT_POINTLIST, FvfXyzColor, std::vector<XyzColor>{{0, 0, 1.5f, White}}, 1);
    EXPECT_GT(Pixel(26, 26).r, 200) << "top-left quarter of the sprite";
    EXPECT_LT(Pixel(38, 38).r, 16) << "bottom-right quarter of the sprite";
    EXPECT_LT(Pixel(38, 26).r, 16) << "top-right quarter of the sprite";
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GlScene, MipLevelsAreSampledAgainAfterATextureOfOneLevelAndFromTheFinestAllowed)
{
    // Solid textures: one of a single blue level, one whose smaller levels are green under a red top.
    const auto solid = [&](UINT levels, D3DCOLOR top, D3DCOLOR below) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(8, 8, levels, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        for (UINT level = 0; level < levels; ++level) {
            D3DLOCKED_RECT locked{};
            texture->LockRect(level, &locked, nullptr, 0);
            const UINT side = 8u >> level;
            for (UINT y = 0; y < side; ++y) {
                auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
                for (UINT x = 0; x < side; ++x) {
                    row[x] = level == 0 ? top : below;
                }
            }
            texture->UnlockRect(level);
        }
        return texture;
    };
    IDirect3DTexture8* single = solid(1, 0x000000FFu, 0);
    IDirect3DTexture8* chain = solid(4, 0x00FF0000u, 0x0000FF00u);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTexture(0, single);
    DrawRect(0, 0, 64, 64, 0xFFFFFFFFu);
    EXPECT_TRUE(Near(Pixel(30, 30), 0, 0, 255)) << Show(Pixel(30, 30));
    // Eight texels on two pixels: the draw reads level 2, green.
    device->SetTexture(0, chain);
    DrawRect(0, 0, 2, 2, 0xFFFFFFFFu);
    EXPECT_TRUE(Near(Pixel(0, 0), 0, 255, 0)) << Show(Pixel(0, 0));
    // The finest level a stage may read, without a mip filter: magnified, the chosen level shows; past
    // the chain's end, its last level; at 0 the top again.
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    for (const DWORD finest : {1u, 9u, 0u}) {
        device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, finest);
        DrawRect(0, 0, 64, 64, 0xFFFFFFFFu);
        EXPECT_TRUE(finest == 0 ? Near(Pixel(30, 30), 255, 0, 0) : Near(Pixel(30, 30), 0, 255, 0))
            << finest << " " << Show(Pixel(30, 30));
    }
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    single->Release();
    chain->Release();
}
