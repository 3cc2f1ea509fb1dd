// SPDX-License-Identifier: GPL-3.0-or-later
// The front end's render targets on the memory device: which surfaces may be targets and depth
// buffers, the viewport that follows the target, and what a reset does with them.
#include "platform/d3d8/device_front.h"

#include <gtest/gtest.h>

TEST(FrontEndRenderTargets, TargetsAreCheckedAndTheViewportFollowsThem)
{
    auto* device = new NullDevice(NullDevice::DefaultCaps(), NullDevice::DefaultPresentParameters());
    IDirect3DTexture8* target = nullptr;
    IDirect3DTexture8* plain = nullptr;
    IDirect3DSurface8* level = nullptr;
    IDirect3DSurface8* plainLevel = nullptr;
    IDirect3DSurface8* small = nullptr;
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    ASSERT_EQ(device->CreateTexture(64, 32, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &plain), D3D_OK);
    target->GetSurfaceLevel(0, &level);
    plain->GetSurfaceLevel(0, &plainLevel);
    IDirect3DSurface8* refused = level;
    EXPECT_EQ(device->CreateDepthStencilSurface(64, 32, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, &refused),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(refused, nullptr);
    ASSERT_EQ(device->CreateDepthStencilSurface(32, 32, D3DFMT_D16, D3DMULTISAMPLE_NONE, &small), D3D_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(64, 32, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &depth), D3D_OK);

    // Only render-target levels, with a depth buffer that covers them.
    EXPECT_EQ(device->SetRenderTarget(plainLevel, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(level, small), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(level, level), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->State().viewport.Width, 640u) << "a refused target changes nothing";
    ASSERT_EQ(device->SetRenderTarget(level, depth), D3D_OK);
    EXPECT_EQ(device->State().viewport.Width, 64u);
    EXPECT_EQ(device->State().viewport.Height, 32u);
    IDirect3DSurface8* current = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&current), D3D_OK);
    EXPECT_EQ(current, level);
    current->Release();
    ASSERT_EQ(device->GetDepthStencilSurface(&current), D3D_OK);
    EXPECT_EQ(current, depth);
    current->Release();
    // The stencil of the bound D24S8 can be cleared; without depth nothing of it can.
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetDepthStencilSurface(&current), D3DERR_NOTFOUND);

    // Released by their owner, the bound surfaces go with the reset, which restores the back buffer.
    level->Release();
    target->Release();
    small->Release();
    depth->Release();
    D3DPRESENT_PARAMETERS parameters = NullDevice::DefaultPresentParameters();
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0u);
    EXPECT_EQ(device->BoundRenderTarget(), nullptr);
    EXPECT_TRUE(device->DepthBufferBound());
    ASSERT_EQ(device->GetRenderTarget(&current), D3D_OK);
    D3DSURFACE_DESC desc{};
    current->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 640u);
    current->Release();
    plainLevel->Release();
    plain->Release();
    EXPECT_EQ(device->Release(), 0u);
}
