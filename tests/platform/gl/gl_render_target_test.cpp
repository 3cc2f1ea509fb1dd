// SPDX-License-Identifier: GPL-3.0-or-later
// Render-target textures on the GL device: drawn into with their own depth surface, then sampled
// back onto the back buffer the right way up.
#include "gl_test_scene.h"

#include <cstdlib>

namespace {

constexpr D3DCOLOR Red = 0xFFFF0000u;
constexpr D3DCOLOR Green = 0xFF00FF00u;
constexpr D3DCOLOR Blue = 0xFF0000FFu;

bool Is(const Rgb& p, int r, int g, int b)
{
    return std::abs(p.r - r) <= 2 && std::abs(p.g - g) <= 2 && std::abs(p.b - b) <= 2;
}

} // namespace

TEST_F(GlScene, RenderTargetTextureIsDrawnWithItsDepthAndSampledUpright)
{
    // Not square, so that a transposed or flipped read shows.
    constexpr UINT W = 32;
    constexpr UINT H = 16;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(W, H, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture),
              D3D_OK);
    IDirect3DSurface8* level = nullptr;
    IDirect3DSurface8* depth = nullptr;
    IDirect3DSurface8* back = nullptr;
    IDirect3DSurface8* backDepth = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(W, H, D3DFMT_D16, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    ASSERT_EQ(device->GetRenderTarget(&back), D3D_OK);
    ASSERT_EQ(device->GetDepthStencilSurface(&backDepth), D3D_OK);
    // A render target lives in GL alone.
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);

    ASSERT_EQ(device->SetRenderTarget(level, depth), D3D_OK);
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, W);
    EXPECT_EQ(viewport.Height, H);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    // Red top-left, green bottom-right; the blue behind them shows only where neither is.
    ASSERT_EQ(DrawRect(0, 0, 16, 8, Red, 0.2f), D3D_OK);
    ASSERT_EQ(DrawRect(16, 8, 32, 16, Green, 0.2f), D3D_OK);
    ASSERT_EQ(DrawRect(0, 0, 32, 16, Blue, 0.6f), D3D_OK);

    ASSERT_EQ(device->SetRenderTarget(back, backDepth), D3D_OK);
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, static_cast<DWORD>(Size));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    // The whole texture over the whole back buffer: each texel two by four pixels.
    ASSERT_EQ(DrawRect(0, 0, Size, Size, 0xFFFFFFFFu), D3D_OK);
    device->SetTexture(0, nullptr);
    const std::vector<Rgb> frame = ReadFrame();
    ASSERT_FALSE(frame.empty());
    const auto at = [&](int x, int y) { return frame[y * Size + x]; };
    EXPECT_TRUE(Is(at(4, 4), 255, 0, 0));
    EXPECT_TRUE(Is(at(60, 60), 0, 255, 0));
    EXPECT_TRUE(Is(at(60, 4), 0, 0, 255));
    EXPECT_TRUE(Is(at(4, 60), 0, 0, 255));

    back->Release();
    backDepth->Release();
    level->Release();
    depth->Release();
    texture->Release();
}

TEST_F(GlScene, RenderTargetsRefuseWhatGlCannotDraw)
{
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &texture),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture),
              D3D_OK);
    IDirect3DSurface8* level = nullptr;
    IDirect3DSurface8* backDepth = nullptr;
    texture->GetSurfaceLevel(0, &level);
    ASSERT_EQ(device->GetDepthStencilSurface(&backDepth), D3D_OK);
    // The back buffer's depth buffer cannot serve a texture here; no depth at all can.
    EXPECT_EQ(device->SetRenderTarget(level, backDepth), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetRenderTarget(level, nullptr), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface8* none = nullptr;
    EXPECT_EQ(device->GetDepthStencilSurface(&none), D3DERR_NOTFOUND);
    // Held elsewhere, the target blocks a reset; held by the device alone, it goes with it, and the
    // device draws into the back buffer again.
    backDepth->Release();
    texture->Release();
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);
    level->Release();
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Red, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(Is(Pixel(1, 1), 255, 0, 0));
}
